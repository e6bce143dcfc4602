#include "app/config_application.h"

#include "app/config_window.h"

void ConfigApplication::InitMainWindow() {
    MainWindow = new ConfigWindow(Name);
}
