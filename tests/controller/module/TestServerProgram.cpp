// The test window's server-side library, "QIPT07S.so". It is built in two
// versions (SERVER_PROGRAM_VERSION) so that a test can tell which copy a
// run used: its message names the version and the run mode it was given.

#include "platform/DispatchObject.h"

#include <string>

namespace {

class TestServerController : public kv::DispatchObject {
public:
    TestServerController() : DispatchObject("QIPT07S.Controller")
    {
        addMethod("Execute", 1, 1, [this](std::vector<kv::Variant> &args) {
            const kv::Variant &request = args[0].deref();
            const kv::VariantArray &elements = request.array();
            m_message = "QIPT07S version " + std::to_string(SERVER_PROGRAM_VERSION) + " ran " +
                        kv::varToStr(elements.at(elements.lowBound() + 7));
            return kv::Variant();
        });
        addProperty("Message", [this] { return kv::Variant(m_message); });
    }

private:
    std::string m_message;
};

} // namespace

extern "C" kv::Dispatch *GetSvrController()
{
    return new TestServerController;
}
