// What the settings window needs of the main window. The main window implements it; tests can
// stand in for it.
#pragma once

#include "settings/settings_store.h"

#include <QString>

namespace rinova::settings {

class Form1Link {
public:
    virtual ~Form1Link() = default;
    virtual RawSettings& rawSettings() = 0;
    virtual CardLayout& cardLayout() = 0;
    virtual QString settingsPath() const = 0;
    // The preview redraw.
    virtual void StringGrid1Click() = 0;
};

} // namespace rinova::settings
