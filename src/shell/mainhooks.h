#pragma once

#include <functional>

// Points where the feature folders plug their behaviour into the main window.
// Each is empty until its feature sets it; the main window then does only its own part.
struct MainHooks
{
    std::function<void()> ConnectBench;      // BtnConnectClick
    std::function<void()> ConnectPrib;       // BtnConnect1Click
    std::function<void(int row)> ApplyModel; // flowmeter model set-up for a model row
    std::function<void()> ImrStatusClick;    // click on Label84
    std::function<void()> OpenAbout;         // "О программе"
    std::function<void(int task)> ApplyTargetTask; // page set of a confirmed target task
    // The current of the chosen ИПТ channel from each successful one-shot read (QID 749154),
    // for the current output calibration windows.
    std::function<void(double mA)> IptCalibrationCurrent;
};
