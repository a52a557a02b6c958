#pragma once
// TfrmVRBaseOpt: the framework of every report condition window, on top of
// the program window base. It is what the host controller drives: print or
// preview with the user's conditions, print or preview by key, picture
// export by key, and the end of design mode.
//
// Only the operations the controller reaches exist so far. Running a report
// needs the report layout windows, which are not part of the module yet:
// until they are, a run records why it cannot be done (ErrorTexts, the
// "E;-1" code) and answers false, so the host learns the call failed.

#include "base/BaseGene.h"

#include <QPointer>

#include <cstdint>
#include <string>

namespace kv {

class TfrmVRBaseOpt : public TfrmBaseGene {
    Q_OBJECT

public:
    explicit TfrmVRBaseOpt(QWidget *parent = nullptr);
    ~TfrmVRBaseOpt() override;

    // The report's main table; sent to the program server when it connects.
    std::string MainTable;
    // SQL dialect number the program server reports at open; 0 before.
    std::int32_t SQLType = 0;
    // The data-permission package of the program server's PowerData.
    Variant PermissionData;

    // The base start-up, then (whatever it returned) the program server is
    // told who works with which program on which company, and the user's
    // rights and data permissions are fetched.
    bool OpenWindow(const Variant &params) override;

    // Runs with the user's conditions and prints (false) or previews (true).
    virtual bool RunReport(bool preview);
    // Runs for the slips of one key, without the user's conditions.
    virtual bool RunByKey(const Variant &key, bool preview);
    // Writes the slips of a key as picture files of the given kind and
    // resolution, named from the prefix; extra is passed on unread.
    virtual bool ExportByKey(const Variant &key, int pictureKind, int resolution, const std::string &prefix,
                             const std::string &extra);
    // Ends design mode: closes the layout window open in design, re-enables
    // this window and brings it to the front. Nothing without design mode.
    virtual void CloseLayoutWindow();

    // The layout window open in design mode, if any.
    QWidget *DesignLayout() const { return m_designLayout; }

protected:
    void FormCreate() override;
    // Records that an operation cannot run yet and answers false.
    bool notAvailable(const std::string &operation);

    // Set while a layout window is open in design mode (design mode sets it).
    QPointer<QWidget> m_designLayout;
};

} // namespace kv
