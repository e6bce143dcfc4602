// The program's application object: it brings up the configuration window.
#pragma once

#include "framework/application.h"

class ConfigApplication : public Application {
  public:
    using Application::Application;

    // The main window is a ConfigWindow titled with the application's name.
    void InitMainWindow() override;
};
