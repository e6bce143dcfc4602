// Every control class of the framework, for the program's windows and dialogs.
#pragma once

#include "framework/check_box.h"
#include "framework/combo_box.h"
#include "framework/control.h"
#include "framework/edit_field.h"
#include "framework/group_box.h"
#include "framework/list_box.h"
#include "framework/progress_bar.h"
#include "framework/push_button.h"
#include "framework/static_text.h"
#include "framework/value_display.h"
#include "framework/value_edit.h"
