// Receives a slider's value by the slider's integer id. Does nothing unless
// overridden. Implemented by the screens and dialogs that own sliders.
#pragma once

namespace zest
{

class SliderListener
{
public:
    virtual ~SliderListener() = default;

    // value in [0, 1]: every change during a drag, and once more on release.
    virtual void SliderChanged(int id, double value) { (void)id, (void)value; }
};

} // namespace zest
