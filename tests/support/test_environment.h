#pragma once
// What every test can rely on: an offscreen QApplication named "tessaline",
// and a private XDG_CONFIG_HOME (so QSettings writes into a temporary
// folder). Tests that touch settings call FreshSettings() first.

#include <QString>

// Empties the temporary settings location and points the store at it.
void FreshSettings();
// The temporary settings folder of this run (XDG_CONFIG_HOME).
QString TestConfigHome();
// A new empty temporary folder, removed at the end of the run.
QString MakeTempFolder();
// The settings file the store writes, as text (for order checks).
QString ReadSettingsFileText();
