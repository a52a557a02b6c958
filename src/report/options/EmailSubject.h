#pragma once
// The subject dialog belongs to sending, which lives with the layout windows.
#include "report/layout/EmailSubject.h"
