#pragma once
// Module-wide parts of the controller: the class variables that decide
// which controller and which condition window the module makes, and the
// module's own file name. The class variables are set while the module
// initialises, before the host can call anything, and never afterwards.

#include "controller/DLLBaseCtrller.h"

#include <string>

namespace kv {
class TfrmVRBaseOpt;
}

// Makes a controller (the class reference of controller classes).
using TDLLControllerClass = TDLLBaseController *(*)();
// Makes a condition window, hidden and without owner (the class reference
// of condition-window classes).
using TfrmVRBaseOptClass = kv::TfrmVRBaseOpt *(*)();

// Set to TDLLVRCtrller by the unit that defines it.
extern TDLLControllerClass DLLControllerClass;
// Set by the module's main block to its report window class.
extern TfrmVRBaseOptClass frmVRBaseOptClass;

// Texts of the fatal set-up errors (\r as the message boxes of the ERP
// client break lines).
inline constexpr const char *kNotAssignControllerClass =
    "QRM DLL Internal Error :\rNot Assign \"DLLControllerClass\" varible";
inline constexpr const char *kNotAssignWindowClass =
    "QRM DLL Internal Error :\rNot Assign \"frmVRBaseOptClass\" varible";

// Full path of the module file this code was loaded from (the program's
// own file when it is linked into a program).
std::string DLLModuleFileName();
