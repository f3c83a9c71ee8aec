// Start-up: makes sure the data files exist and any legacy JSON import is done.
#pragma once

// Loads and saves the pins, loads and saves the history (under the history lock), loads the menu
// usage counts. Runs once after the window exists and before the message loop.
void data_files_ensure();
