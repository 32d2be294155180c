// The windowing runtime: forms whose controls are placed from twips, timers,
// menus, modal and modeless show, the collection of loaded forms, operations
// called by name, and the event pump.
#pragma once

#include "runtime/Form.h"
#include "runtime/MessageLoop.h"
