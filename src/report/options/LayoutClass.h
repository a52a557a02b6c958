#pragma once
// LayoutClass: a reference to a slip-layout window class, as a report's
// condition window holds it. The name is the class name its format styles
// are stored under on the server ("TfrmQipr07Fmt"); create makes a new
// layout window of the class, owned by the given condition window.

#include "base/KVForm.h"
#include "report/layout/VRFormat.h"

#include <functional>
#include <string>
#include <utility>

namespace kv {

struct LayoutClass {
    std::string name;
    std::function<TfrmVRFormat *(QWidget *owner)> create;

    // Set once a report has chosen its layout.
    explicit operator bool() const { return static_cast<bool>(create); }

    template <class Layout>
    static LayoutClass of(std::string className)
    {
        return {std::move(className), [](QWidget *owner) -> TfrmVRFormat * {
                    return TKVForm::Create<Layout>(owner);
                }};
    }
};

} // namespace kv
