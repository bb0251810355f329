#pragma once
// The main window and the parts a test reaches in it: its tabs, pictures and
// controls are found by object name (named<T>(window, "tactCanvas")).
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTreeWidget>

#include "ui/canvas_view.h"
#include "ui/directions/directions_tab.h"
#include "ui/editors/editors.h"
#include "ui/main_window.h"
#include "ui/popup_menus.h"
#include "ui/tacts/programs_tab.h"
#include "ui_helpers.h"

using livra::uitest::named;
