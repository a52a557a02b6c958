#include "report/layout/VRPreviewer.h"

namespace kv {

namespace {

std::shared_ptr<VRPreviewer> &installed()
{
    static std::shared_ptr<VRPreviewer> previewer;
    return previewer;
}

} // namespace

std::shared_ptr<VRPreviewer> VRPreviewer::current()
{
    return installed();
}

void VRPreviewer::setCurrent(std::shared_ptr<VRPreviewer> previewer)
{
    installed() = std::move(previewer);
}

} // namespace kv
