#pragma once
// kv::LayoutFile: layouts kept in local files (the copy a failed save leaves,
// loaded back later). The file is UTF-8 layout text, written into a
// temporary file beside the target and renamed into place, so a failed
// write never leaves half a layout behind. Reading refuses files beyond the
// text bound and takes a legacy GB18030 file as such.

#include "platform/layoutio/LayoutText.h"

#include <QString>

#include <string>
#include <vector>

class QObject;

namespace kv {

class LayoutFile {
public:
    static bool save(const QObject &root, const QObject *ancestor, const QString &fileName, std::string &error);
    static bool load(QObject &root, const QString &fileName, std::vector<LayoutProblem> &problems,
                     std::string &error);
};

} // namespace kv
