#pragma once
// The layout text format: a report layout (a layout window's report, its
// bands and printed components) written as text, and read back onto a
// window. Stored layouts and local layout files are such texts.
//
//   object frmQipr07Fmt: TfrmQipr07Fmt
//     object QuickRep1: Report
//       object QRBand1: TQRBand
//         Height = 40
//         object ExLbl1: TQRLabel
//           Left = 10
//           Caption = '新建标签'#13'第二行'
//           Font.Charset = GB2312_CHARSET
//           Font.Height = -12
//           Font.Name = '宋体'
//           Font.Style = [fsBold]
//         end
//       end
//     end
//   end
//
// A component opens with "object Name: TClass" (it is created when it does
// not exist) or "inherited Name: TClass" (it must exist), holds one
// "Prop = value" line per property, its child components, and closes with
// "end"; each level is indented by two blanks. Class names are written
// without the kv:: namespace. Values:
//   integers; True / False; enumerations by their key name; sets of flags
//   as [a, b]; strings single-quoted ('' for a quote, UTF-8 inside), with
//   control characters as #13 joined to the quoted parts ('a'#13'b');
//   string lists as ( 'a' 'b' ); colours as cl... names or Delphi colour
//   integers ($00BBGGRR); references to other components by their name
//   (resolved below the window when read, after every component exists),
//   nil for none.
// Fonts are written as sub-properties: Font.Name, Font.Height (the negative
// pixel height, as Delphi writes it; a positive height is read as the same
// pixel height, and Font.Size in points is read as well), Font.Style (set of
// fsBold, fsItalic, fsUnderline, fsStrikeOut) and Font.Charset. A QFont has
// no character set, so the charset lives in the component's dynamic
// property "FontCharset" (GB2312_CHARSET when not set); Font.Color is
// accepted and ignored, the report engine prints text in black.
//
// Reading never throws: what cannot be used (an unknown class, component or
// property, a bad value, an unresolved reference, a missing or surplus end,
// a text beyond the limits) is listed as a LayoutProblem with its line and
// left out; the rest is applied.

#include "platform/layoutio/LayoutProblem.h"

#include <QString>

#include <string>
#include <string_view>
#include <vector>

class QObject;

namespace kv {

class LayoutText {
public:
    // Full description of root (a layout window) in the layout text format:
    // every component below root that belongs to the layout (the Report and
    // its bands and printables; not data sets, plain widgets or unnamed
    // objects), children nested in their parents, every property
    // GetMyNeedProp keeps, Left/Top/Width/Height as plain integers.
    static std::string Write(const QObject &root);
    // The differences of root from ancestor (a fresh unchanged instance of
    // the same class): a component of both with changed kept properties ->
    // "inherited Name: TClass" with only the changed ones (a component whose
    // own properties are unchanged but has changed children is still
    // written, as the frame of them); a component absent from ancestor ->
    // "object Name: TClass" with all its kept properties. Root line is
    // "inherited".
    static std::string WriteDifferences(const QObject &root, const QObject &ancestor);
    // Applies a text (full or differences) onto root: components found by
    // name below root, "object" components that do not exist are created by
    // ComponentFactory under the parent the nesting names; properties set.
    // Loads what it can; every problem is appended to problems and skipped.
    // False only when nothing could be read at all (no root line).
    static bool Read(QObject &root, std::string_view text, std::vector<LayoutProblem> &problems);
};

// Reduces a layout text to the lines design mode may change (position, size,
// enabled and visible state, captions, fonts, alignment, data fields and data
// sets, text types, barcode settings, user-created components), keeping the
// object/inherited/end structure. Defined in LayoutProperties.cpp.
std::string GetMyNeedProp(std::string_view text);

// Local files: UTF-8 layout text, written beside the target and renamed into
// place. With an ancestor only the differences from it are written. Defined
// in LayoutFile.cpp.
bool SaveMyFormToFile(const QObject &root, const QObject *ancestor, const QString &fileName, std::string &error);
bool LoadMyFormFromFile(QObject &root, const QString &fileName, std::vector<LayoutProblem> &problems,
                        std::string &error);

} // namespace kv
