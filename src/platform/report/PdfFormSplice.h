#pragma once
// kv::PdfFormSplice: the last step of writing a report run as PDF. Qt's PDF
// engine writes the sheets of the run followed by one page per form picture;
// the splice copies that file object by object into the finished document:
// the form pages become form XObjects placed under the sheets that show
// them, the fonts are named as the subsets they are, the character maps get
// ideographs for radicals, and the outline and document information are
// added. Only the positions of the objects and one object at a time are held
// in memory, so a run of any length costs the same.

#include <QString>

#include <string>
#include <vector>

namespace kv {

class PdfFormSplice {
public:
    // A form drawn under a sheet: its index among the form pages, and where
    // its top left corner goes, in points from the sheet's top left corner.
    struct Placement {
        int form = 0;
        double left = 0, top = 0;
    };
    struct Bookmark {
        QString title;
        int sheet = 1; // 1-based among the sheets
    };
    struct Information {
        QString author, subject, keywords;
    };

    PdfFormSplice(std::vector<std::vector<Placement>> placements, int formPages)
        : m_placements(std::move(placements)), m_formPages(formPages)
    {
    }

    void setBookmarks(std::vector<Bookmark> bookmarks) { m_bookmarks = std::move(bookmarks); }
    void setInformation(Information information) { m_information = std::move(information); }

    // Reads Qt's file and writes the document; std::runtime_error when
    // either fails (the output may then be incomplete: write it under a
    // scratch name).
    void write(const QString &qtFile, const QString &output) const;

private:
    std::vector<std::vector<Placement>> m_placements; // by sheet
    int m_formPages;
    std::vector<Bookmark> m_bookmarks;
    Information m_information;
};

} // namespace kv
