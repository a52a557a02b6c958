#pragma once
// kv::LayoutProperties: which properties belong to a stored layout, the ones
// design mode lets the user change: position and size, enabled and visible
// state, captions and memo lines, fonts, alignment and sizing of texts, data
// fields and data sets, masks, text types with their dictionaries and code
// lists, hints, and the barcode settings. The filter behind GetMyNeedProp
// reduces a layout text to them.
//
// A window part that is no report component may still be stored with the
// layout by naming the properties that are, in a class info of its class:
//     Q_CLASSINFO("LayoutStored", "Relations,MaxComponentNum")
// Only those of its properties are written and read back.

#include "platform/layoutio/LayoutText.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QObject;

namespace kv {

class LayoutProperties {
public:
    // A property name as written in a layout text ("Left", "Font.Height").
    static bool isKept(std::string_view name);
    // Whether the property of that name is kept for this object (its
    // "LayoutStored" list, when it has one).
    static bool isKeptOn(const QObject &object, std::string_view name);
    // The "LayoutStored" list of the object's class; none for report components.
    static std::optional<std::vector<std::string>> storedPartProperties(const QObject &object);
    // The values a stored layout may give an integer property: positions
    // and sizes within a few metres, narrow bars of a barcode at most 100
    // pixels. A band millions of pixels high would leave printing without
    // an end, so such values are refused rather than applied.
    struct Range {
        long long low;
        long long high;
    };
    static std::optional<Range> range(std::string_view name);
    // Whether the property sets the scale the object's parts count their
    // pixel positions and sizes at: a report's Zoom. It is the window's
    // own and never written with a layout, so a text may not change it;
    // otherwise what it places after it would be read at one scale and
    // written back, without the zoom, for reading at another.
    static bool isScale(const QObject &object, std::string_view name);
    // The text with only kept property lines; component lines and ends stay
    // (inherited frames left empty by the filter are dropped, components
    // created by the user always stay). Unreadable lines are dropped.
    static std::string filter(std::string_view text);
};

} // namespace kv
