// User input in the filter dialog: scrolling by line, page and thumb, the wheel and its
// delayed action, value boxes, keys offered to the effect, and the re-entry guard.

#include <windows.h>

#include <string>

#include "tests/common/real_input.h"
#include "tests/dialog/dialog_test_bed.h"

namespace {

constexpr int32_t kSlider = 10;

// A slider 0..100 at 50 that re-renders the preview after its events, as sliders do.
TestScript SliderScript(uint32_t properties = 0) {
    TestScript script;
    script.build = [properties](const ScriptedPluginApi& api) {
        Make(api, kSlider, CONTROL_SLIDER, "Slider", 0, properties);
        api.setControlRange(kSlider, 0, 100);
        api.setControlValue(kSlider, 50);
    };
    return script;
}

int32_t SliderValue() {
    return gBed.api->record(kSlider)->value;
}

// Waits until the preview's first render (its start-up timer) has happened, so that every
// later render belongs to the input under test.
void WaitForFirstRender(Driver& driver) {
    driver.Check(WaitFor([] { return Renders() >= 1; }), "the preview rendered at start");
}

// Shift as the host's thread reads it. Wine keeps injected keys out of the asynchronous key
// state and does not always mark them held in the thread's state either, so the test sets
// the thread's keyboard state itself, from the thread that runs the dialog.
void HoldShift(bool down) {
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_SHIFT] = down ? 0x80 : 0;
    keys[VK_LSHIFT] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

}  // namespace

TEST(DialogInput, SliderStepsGiveOneValueChangeWithTheOldValueAndOneRender) {
    struct StepCase {
        int code;
        int32_t expected;
    };
    // From 50 with line 1 and page 10; top and bottom are the range's ends.
    const StepCase steps[] = {
        {SB_LINEDOWN, 51}, {SB_LINEUP, 50}, {SB_PAGEDOWN, 60}, {SB_PAGEUP, 50},
        {SB_BOTTOM, 100},  {SB_TOP, 0},     {SB_LINEUP, 0},
    };
    auto session = OpenScriptedPlugin();
    RunWithDriver(*session, SliderScript(), [&](Driver& driver) {
        WaitForFirstRender(driver);
        HWND slider = driver.ControlWindow(kSlider);
        int32_t previous = 50;
        for (const StepCase& step : steps) {
            const std::string name = "scroll code " + std::to_string(step.code);
            const size_t events = EventsOf(EVENT_VALUE_CHANGED, kSlider).size();
            const int32_t renders = Renders();
            driver.Send(WM_HSCROLL, step.code, LPARAM(slider));
            driver.Send(WM_HSCROLL, SB_ENDSCROLL, LPARAM(slider));
            driver.Check(SliderValue() == step.expected,
                         name + " value " + std::to_string(SliderValue()));
            const auto changed = EventsOf(EVENT_VALUE_CHANGED, kSlider);
            if (step.expected == previous) {
                driver.Check(changed.size() == events, name + ": no change, no event");
                continue;
            }
            driver.Check(changed.size() == events + 1 && changed.back().argument == previous,
                         name + " event with the old value");
            driver.Check(WaitFor([&] { return Renders() == renders + 1; }), name + " renders");
            driver.Check(GetScrollPos(slider, SB_CTL) == step.expected, name + " thumb");
            previous = step.expected;
        }
        // The action timer is one-shot: no render is left over.
        driver.Send(WM_NULL);
        const int32_t settled = Renders();
        driver.Check(!WaitFor([&] { return Renders() != settled; }, 100), "no extra render");
        driver.End(IDOK);
    });
}

TEST(DialogInput, ThumbDragRendersAtTheEndUnlessLiveDragOrShift) {
    struct DragCase {
        const char* name;
        uint32_t properties;
        bool shift;
        bool liveRenders;
    };
    const DragCase cases[] = {
        {"Shift held", 0, true, true},
        {"live-drag property with Shift", CTLPROP_LIVEDRAG, true, false},
        {"plain drag", 0, false, false},
        {"live-drag property", CTLPROP_LIVEDRAG, false, true},
    };
    for (const DragCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = OpenScriptedPlugin();
        TestScript script = SliderScript(c.properties);
        auto build = script.build;
        script.build = [build, &c](const ScriptedPluginApi& api) {
            build(api);
            HoldShift(c.shift);
        };
        RunWithDriver(*session, script, [&](Driver& driver) {
            WaitForFirstRender(driver);
            HWND slider = driver.ControlWindow(kSlider);
            SetForegroundWindow(driver.dialog);
            RECT bar;
            GetWindowRect(slider, &bar);
            const int arrow = GetSystemMetrics(SM_CXHSCROLL);
            // The thumb sits in the middle at 50 of 0..100.
            const int y = (bar.top + bar.bottom) / 2;
            const int track = (bar.right - bar.left) - 2 * arrow;
            const int x = bar.left + arrow + track / 2;
            SendMouse(MOUSEEVENTF_MOVE, {x, y});
            SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTDOWN, {x, y});
            // The press starts the scroll bar's own tracking loop on the dialog's thread.
            const DWORD dialogThread = GetWindowThreadProcessId(driver.dialog, nullptr);
            driver.Check(WaitFor(
                             [&] {
                                 GUITHREADINFO info = {};
                                 info.cbSize = sizeof info;
                                 return GetGUIThreadInfo(dialogThread, &info) &&
                                        info.hwndCapture == slider;
                             },
                             1000),
                         "the scroll bar tracks the thumb");
            const int32_t rendersBefore = Renders();
            int32_t rendersDuring = rendersBefore;
            for (int step = 1; step <= 5; ++step) {
                SendMouse(MOUSEEVENTF_MOVE, {x + step * track / 20, y});
                const int32_t target = 50 + step * 5;
                WaitFor([&] { return SliderValue() >= target - 2; }, 1000);
                if (c.liveRenders) WaitFor([&] { return Renders() > rendersDuring; }, 1000);
                rendersDuring = Renders();
            }
            driver.Check(SliderValue() > 60,
                         "the thumb moved the value: " + std::to_string(SliderValue()));
            driver.Check(!EventsOf(EVENT_VALUE_CHANGED, kSlider).empty(),
                         "value events while dragging");
            if (c.liveRenders)
                driver.Check(rendersDuring > rendersBefore, "renders while dragging");
            else
                driver.Check(rendersDuring == rendersBefore, "no render while dragging");
            SendMouse(MOUSEEVENTF_MOVE | MOUSEEVENTF_LEFTUP, {x + 5 * track / 20, y});
            driver.Check(WaitFor([&] { return Renders() > rendersDuring; }),
                         "render after release");
            driver.End(IDOK);
        });
    }
}

TEST(DialogInput, WheelStepsRunTheActionAfterTheirDelay) {
    struct WheelCase {
        const char* name;
        bool shift;
        double minMs, maxMs;
    };
    const WheelCase cases[] = {{"wheel", false, 450, 1500}, {"Shift wheel", true, 10, 400}};
    for (const WheelCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto session = OpenScriptedPlugin();
        RunWithDriver(*session, SliderScript(), [&](Driver& driver) {
            WaitForFirstRender(driver);
            HWND slider = driver.ControlWindow(kSlider);
            driver.Focus(slider);
            const int32_t renders = Renders();
            const LARGE_INTEGER start = Now();
            const WPARAM keys = c.shift ? MK_SHIFT : 0;
            // A step toward the user raises the value.
            driver.SendTo(slider, WM_MOUSEWHEEL, MAKEWPARAM(keys, WORD(-WHEEL_DELTA)), 0);
            driver.Check(SliderValue() == 51, "wheel down raises by the line size");
            const auto changed = EventsOf(EVENT_VALUE_CHANGED, kSlider);
            driver.Check(changed.size() == 1 && changed[0].argument == 50,
                         "event with the old value");
            driver.Check(WaitFor([&] { return Renders() > renders; }), "the action ran");
            const double ms = MillisecondsSince(start);
            driver.Check(ms >= c.minMs && ms <= c.maxMs, "delay " + std::to_string(ms) + " ms");
            driver.End(IDOK);
        });
    }
}

TEST(DialogInput, ASecondWheelStepRestartsTheWait) {
    auto session = OpenScriptedPlugin();
    RunWithDriver(*session, SliderScript(), [&](Driver& driver) {
        WaitForFirstRender(driver);
        HWND slider = driver.ControlWindow(kSlider);
        driver.Focus(slider);
        const int32_t renders = Renders();
        driver.SendTo(slider, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        const LARGE_INTEGER first = Now();
        WaitFor([&] { return MillisecondsSince(first) >= 250; }, 1000);
        driver.SendTo(slider, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
        const LARGE_INTEGER second = Now();
        driver.Check(SliderValue() == 48, "two steps up lower the value by two lines");
        driver.Check(WaitFor([&] { return Renders() > renders; }), "the action ran");
        driver.Check(MillisecondsSince(second) >= 450, "the wait began again at the second step");
        driver.Check(Renders() == renders + 1, "one render for both steps");
        driver.End(IDOK);
    });
}

TEST(DialogInput, TheWheelTimerLeavesAControlThatWentAlone) {
    auto session = OpenScriptedPlugin();
    TestScript script = SliderScript();
    // The effect replaces the slider by a Cancel-like button while the wheel's wait runs.
    script.react = [](const ScriptedPluginApi& api, const EventRecord& event) -> int32_t {
        if (event.control == kSlider && event.event == EVENT_VALUE_CHANGED) {
            api.deleteControl(kSlider);
            Make(api, kSlider, CONTROL_PUSHBUTTON, "Other");
            api.setControlAction(kSlider, 1);
        }
        return 0;
    };
    const int16_t result = RunWithDriver(*session, script, [&](Driver& driver) {
        WaitForFirstRender(driver);
        HWND slider = driver.ControlWindow(kSlider);
        driver.Focus(slider);
        driver.SendTo(slider, WM_MOUSEWHEEL, MAKEWPARAM(MK_SHIFT, WORD(-WHEEL_DELTA)), 0);
        const LARGE_INTEGER start = Now();
        WaitFor([&] { return MillisecondsSince(start) >= 150; }, 1000);
        driver.Check(*gBed.api->dialog != nullptr, "the dialog is still up");
        driver.End(IDOK);
    });
    EXPECT_EQ(result, 0) << "the new control's Cancel action never ran";
}

TEST(DialogInput, ValueBoxesParseByDivisorAndEmptyGivesTheMinimum) {
    struct BoxCase {
        int32_t divisor, min, max;
        const char* text;
        int32_t value;     // after clamping
        int32_t argument;  // of EVENT_VALUE_CHANGED: the typed number
    };
    const BoxCase cases[] = {
        {10, 0, 100, "1.5", 15, 15},   {100, 0, 100, "0.05", 5, 5},
        {1000, 0, 100, "0.005", 5, 5}, {100, 0, 100, "0.056", 6, 6},
        {10, 0, 100, "-0.25", 0, -3},  {1, 0, 100, "42", 42, 42},
        {1, 0, 100, "", 0, 0},         {1, 100, 0, "", 0, 0},
        {10, 0, 100, "", 0, 0},        {1, 0, 100, "abc", 0, 0},
        {1, 0, 100, "250", 100, 250},  {10, 0, 100, "1e30", 100, 2147483647},
    };
    auto session = OpenScriptedPlugin();
    TestScript script;
    script.build = [&](const ScriptedPluginApi& api) {
        for (size_t i = 0; i < std::size(cases); ++i) {
            const int32_t n = int32_t(20 + i);
            api.createControl(n, CONTROL_SLIDER, "Box", 5, int32_t(5 + 10 * i), 60, 8, 0, 0, 0, -1);
            api.setControlRange(n, cases[i].min, cases[i].max);
            api.setControlDivisor(n, cases[i].divisor);
            api.setControlValue(n, 50);
        }
    };
    RunWithDriver(*session, script, [&](Driver& driver) {
        for (size_t i = 0; i < std::size(cases); ++i) {
            const int32_t n = int32_t(20 + i);
            const std::string name =
                std::string("\"") + cases[i].text + "\" / " + std::to_string(cases[i].divisor);
            const size_t before = EventsOf(EVENT_VALUE_CHANGED, n).size();
            // The user selects the box's text and types over it in one go.
            HWND box = driver.Item(n + 5000);
            driver.Focus(box);
            driver.SendTo(box, EM_SETSEL, 0, -1);
            driver.SendTo(box, EM_REPLACESEL, TRUE, LPARAM(cases[i].text));
            const auto changed = EventsOf(EVENT_VALUE_CHANGED, n);
            driver.Check(gBed.api->record(n)->value == cases[i].value,
                         name + " value " + std::to_string(gBed.api->record(n)->value));
            driver.Check(
                changed.size() == before + 1 && changed.back().argument == cases[i].argument,
                name + " event argument " +
                    (changed.empty() ? std::string("none")
                                     : std::to_string(changed.back().argument)));
        }
        driver.End(IDOK);
    });
}

TEST(DialogInput, ValueBoxWithoutDelayAppliesOnEnter) {
    auto session = OpenScriptedPlugin();
    TestScript script = SliderScript();
    script.build = [](const ScriptedPluginApi& api) {
        Make(api, kSlider, CONTROL_SLIDER, "Slider");
        api.setControlRange(kSlider, 0, 100);
        api.setControlValue(kSlider, 50);
        api.setKeepEditText(0);
    };
    RunWithDriver(*session, script, [&](Driver& driver) {
        WaitForFirstRender(driver);
        HWND box = driver.Item(kSlider + 5000);
        driver.Focus(box);
        driver.SendTo(box, EM_SETSEL, 0, -1);
        driver.SendTo(box, WM_CHAR, '7', 0x80001);
        driver.SendTo(box, WM_CHAR, '7', 0x80001);
        driver.Check(SliderValue() == 50, "typing alone changes nothing");
        driver.Check(EventsOf(EVENT_VALUE_CHANGED, kSlider).empty(), "no event while typing");
        const int32_t renders = Renders();
        driver.SendTo(box, WM_CHAR, VK_RETURN, 0);
        driver.Check(SliderValue() == 77,
                     "Enter applies the text: " + std::to_string(SliderValue()));
        const auto changed = EventsOf(EVENT_VALUE_CHANGED, kSlider);
        driver.Check(changed.size() == 1 && changed[0].argument == 50,
                     "one event with the old value");
        driver.Check(WaitFor([&] { return Renders() > renders; }), "the preview rendered");
        driver.Check(GetScrollPos(driver.ControlWindow(kSlider), SB_CTL) == 77, "thumb follows");
        driver.End(IDOK);
    });
    gBed.api->setKeepEditText(500);
}

TEST(DialogInput, KeysGoToTheEffectButNotWhileAnEventIsHandled) {
    auto session = OpenScriptedPlugin();
    TestScript script = SliderScript();
    auto build = script.build;
    script.build = [build](const ScriptedPluginApi& api) {
        build(api);
        Make(api, 40, CONTROL_PUSHBUTTON, "Busy");
        api.setControlAction(40, 0);
    };
    // A long operation of the effect: a key arrives while it runs and it pumps the dialog.
    script.react = [](const ScriptedPluginApi& api, const EventRecord& event) -> int32_t {
        if (event.control == 40 && event.event == EVENT_CLICKED) {
            PostMessageA(*api.dialog, WM_KEYDOWN, 'N', 0x310001);
            api.pumpDialogMessages();
        }
        if (event.event == EVENT_KEY_DOWN && event.control == 'H') return 1;
        return 0;
    };
    RunWithDriver(*session, script, [&](Driver& driver) {
        driver.Click(40);
        driver.Check(EventsOf(EVENT_KEY_DOWN, 'N').empty(), "the nested key is not offered");
        PostMessageA(driver.dialog, WM_KEYDOWN, 'M', 0x320001);
        driver.Check(WaitFor([] { return !EventsOf(EVENT_KEY_DOWN, 'M').empty(); }),
                     "a key later is");
        const auto keys = EventsOf(EVENT_KEY_DOWN, 'M');
        driver.Check(!keys.empty() && keys[0].argument == 0x320001 && keys[0].message == WM_KEYDOWN,
                     "with the key message's lParam");
        // Shift and Ctrl alone are never offered.
        PostMessageA(driver.dialog, WM_KEYDOWN, VK_SHIFT, 0);
        PostMessageA(driver.dialog, WM_KEYDOWN, 'Z', 0);
        WaitFor([] { return !EventsOf(EVENT_KEY_DOWN, 'Z').empty(); });
        driver.Check(EventsOf(EVENT_KEY_DOWN, VK_SHIFT).empty(), "no event for Shift");
        // '0' on a focused slider sets it to 0.
        driver.Focus(driver.ControlWindow(kSlider));
        PostMessageA(driver.dialog, WM_KEYDOWN, '0', 0);
        driver.Check(WaitFor([] { return SliderValue() == 0; }), "'0' zeroes the focused slider");
        driver.End(IDOK);
    });
}

TEST(DialogInput, LabelDoubleClickRestoresTheDefault) {
    auto session = OpenScriptedPlugin();
    TestScript script = SliderScript();
    auto build = script.build;
    script.build = [build](const ScriptedPluginApi& api) {
        build(api);
        api.setControlDefault(kSlider, 20);
        Make(api, 11, CONTROL_SLIDER, "No default");
    };
    RunWithDriver(*session, script, [&](Driver& driver) {
        driver.Send(WM_COMMAND, MAKEWPARAM(kSlider + 6000, STN_DBLCLK),
                    LPARAM(driver.Item(kSlider + 6000)));
        driver.Check(SliderValue() == 20, "the default came back");
        const auto changed = EventsOf(EVENT_VALUE_CHANGED, kSlider);
        driver.Check(changed.size() == 1 && changed[0].argument == 50,
                     "value event with the old value");
        driver.Check(EventsOf(EVENT_CLICKED, kSlider).size() == 1, "then a click");
        driver.Send(WM_COMMAND, MAKEWPARAM(11 + 6000, STN_DBLCLK), LPARAM(driver.Item(11 + 6000)));
        driver.Check(
            EventsOf(EVENT_VALUE_CHANGED, 11).empty() && EventsOf(EVENT_CLICKED, 11).size() == 1,
            "without a default only a click");
        driver.End(IDOK);
    });
}

TEST(DialogInput, UnderASkinTheLoopStepsFocusedSlidersAndComboBoxesByKeys) {
    struct KeyCase {
        int32_t control, key, expected;
    };
    // Slider 10 at 50 in 0..100 (line 1, page 10); combo box 30 of three items at 1.
    const KeyCase cases[] = {
        {kSlider, VK_RIGHT, 51}, {kSlider, VK_LEFT, 50},  {kSlider, VK_DOWN, 51},
        {kSlider, VK_UP, 50},    {kSlider, VK_NEXT, 60},  {kSlider, VK_PRIOR, 50},
        {kSlider, VK_END, 100},  {kSlider, VK_NEXT, 100}, {kSlider, VK_HOME, 0},
        {kSlider, VK_UP, 0},     {kSlider, VK_END, 100},  {kSlider, '0', 0},
        {30, VK_DOWN, 2},        {30, VK_DOWN, 2},        {30, VK_UP, 1},
        {30, VK_HOME, 0},        {30, VK_UP, 0},          {30, VK_END, 2},
    };
    auto session = OpenScriptedPlugin();
    TestScript script = SliderScript();
    auto build = script.build;
    script.build = [build](const ScriptedPluginApi& api) {
        build(api);
        Make(api, 30, CONTROL_COMBOBOX, "a\nb\nc");
        api.setControlValue(30, 1);
        // No re-render after the keys: a render reads (and drops) the keys waiting meanwhile,
        // looking for Escape.
        api.setControlAction(kSlider, 0);
        (*api.params)->skinActive = 1;
    };
    RunWithDriver(*session, script, [&](Driver& driver) {
        for (const KeyCase& c : cases) {
            driver.Focus(driver.ControlWindow(c.control));
            const int32_t before = gBed.api->record(c.control)->value;
            const size_t events = Events().size();
            // A key that arrives while the previous key's event is still being handled is
            // dropped by design: let the dialog's thread return to its loop first.
            SendMessageA(driver.dialog, WM_NULL, 0, 0);
            PostMessageA(driver.dialog, WM_KEYDOWN, WPARAM(c.key), 1);
            // Posted input comes after the messages sent to the dialog: wait for its event.
            WaitFor([&] { return Events().size() > events; });
            const int32_t after = gBed.api->record(c.control)->value;
            driver.Check(after == c.expected, "control " + std::to_string(c.control) + " key " +
                                                  std::to_string(c.key) + " gives " +
                                                  std::to_string(after));
            const auto all = Events();
            const int32_t wanted = c.control == 30 ? EVENT_CLICKED : EVENT_VALUE_CHANGED;
            driver.Check(all.size() > events && all[events].event == wanted &&
                             all[events].argument == before,
                         "the key's event carries the old value (control " +
                             std::to_string(c.control) + " key " + std::to_string(c.key) + ", " +
                             std::to_string(all.size() - events) + " events)");
            driver.Check(EventsOf(EVENT_KEY_DOWN, c.key).empty(), "the key was consumed");
        }
        (*gBed.api->params)->skinActive = 0;
        driver.End(IDOK);
    });
}
