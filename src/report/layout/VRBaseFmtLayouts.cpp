// TfrmVRBaseFmt: stored format styles. Placeholder bodies until the stored
// layouts land; nothing here is reachable from a run yet.
#include "report/layout/VRBaseFmt.h"

namespace kv {

void TfrmVRBaseFmt::DreamDesigner1LoadChanges() {}
bool TfrmVRBaseFmt::DreamDesigner1SaveChanges() { return true; }
void TfrmVRBaseFmt::ReadMaxNameLength() {}
void TfrmVRBaseFmt::nuSaveClick() {}
void TfrmVRBaseFmt::nuSaveAsClick() {}
void TfrmVRBaseFmt::nuSaveLocClick() {}
void TfrmVRBaseFmt::nuLoadLocClick() {}

} // namespace kv
