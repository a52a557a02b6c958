// TfrmVRBaseFmt: extension fields. Placeholder bodies until the extension
// fields land; nothing here is reachable from a run yet.
#include "report/layout/VRBaseFmt.h"

namespace kv {

bool TfrmVRBaseFmt::DreamDesigner1DragOver(TQRBand *, QPoint, const QMimeData &) { return false; }
void TfrmVRBaseFmt::DreamDesigner1DragDrop(TQRBand *, QPoint, const QMimeData &) {}
void TfrmVRBaseFmt::DreamDesigner1DeleteComponent(QObject *) {}
void TfrmVRBaseFmt::DreamDesigner1ShowProperty(QObject *) {}
void TfrmVRBaseFmt::mnuDOCtoEMFClick() {}

} // namespace kv
