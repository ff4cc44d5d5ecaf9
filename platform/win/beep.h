// The platform beep, behind one interface so that tests can count beeps.
#pragma once

namespace win {

class BeepSink {
public:
    virtual ~BeepSink() = default;
    virtual void Beep() = 0;
};

// Sounds the beep through the sink in force (the real one writes BEL to the terminal, if any).
void Beep();

// Installs `sink` for this process (nullptr restores the real one). Not owned.
void InstallBeepSink(BeepSink* sink);

class CountingBeepSink : public BeepSink {
public:
    void Beep() override { ++count; }
    int count = 0;
};

}  // namespace win
