// Every dispatcher opcode answers as a VST 2.4 host expects of this plug-in.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "runtime/host_services.h"
#include "tests/counting_effect.h"
#include "tests/plugin_fixture.h"

using testing_support::CountingInstance;
using testing_support::NewInstance;

namespace {

TEST(Dispatcher, IdentityAndVersionOpcodes)
{
    auto p = NewInstance();
    EXPECT_EQ(p->Dispatch(effIdentify), 0x4E764566); // 'NvEf'
    EXPECT_EQ(p->Dispatch(effGetPlugCategory), 0);
    EXPECT_EQ(p->Dispatch(effGetVendorVersion), 1000);
    EXPECT_EQ(p->Dispatch(effGetVstVersion), 2400);
    EXPECT_EQ(p->Dispatch(effGetTailSize), 0);
    EXPECT_EQ(p->Dispatch(effGetCurrentMidiProgram), -1);
    EXPECT_EQ(p->Dispatch(effSetTotalSampleToProcess, 0, 4096), 4096);
    EXPECT_EQ(p->TextOpcode(effGetEffectName), "Tolvanger");
    EXPECT_EQ(p->TextOpcode(effGetProductString), "Tolvanger");
    EXPECT_EQ(p->TextOpcode(effGetVendorString), "Calder Forges");
    EXPECT_EQ(p->TextOpcode(effGetProgramName), "Tolvanger");
    char text[32] = "x";
    EXPECT_EQ(p->Dispatch(effGetEffectName, 0, 0, text), 1);
    EXPECT_EQ(p->Dispatch(effGetVendorString, 0, 0, text), 1);
    EXPECT_EQ(p->Dispatch(effGetProductString, 0, 0, text), 1);
    std::memset(text, 'q', sizeof text);
    EXPECT_EQ(p->Dispatch(effGetProgramNameIndexed, 0, 0, text), 0);
    EXPECT_EQ(text[0], 'q'); // nothing written
}

TEST(Dispatcher, ProgramsCompareAsSignedIntegers)
{
    auto p = NewInstance();
    EXPECT_EQ(p->Dispatch(effGetProgram), 0);
    p->Dispatch(effSetProgram, 0, 0);
    EXPECT_EQ(p->Dispatch(effGetProgram), 0);
    p->Dispatch(effSetProgram, 0, 1);
    p->Dispatch(effSetProgram, 0, -1);
    p->Dispatch(effSetProgram, 0, 0x7fffffff);
    EXPECT_EQ(p->Dispatch(effGetProgram), 0);
    char name[] = "Loud";
    EXPECT_EQ(p->Dispatch(effSetProgramName, 0, 0, name), 0);
    EXPECT_EQ(p->TextOpcode(effGetProgramName), "Loud");
}

TEST(Dispatcher, CanDoAcceptsOnlyReceivingMidiEventsAndTheBypass)
{
    auto p = NewInstance();
    auto canDo = [&](const char* text) { return p->Dispatch(effCanDo, 0, 0, const_cast<char*>(text)); };
    EXPECT_EQ(canDo("receiveVstMidiEvent"), 1);
    EXPECT_EQ(canDo("bypass"), 1);
    for (const char* no :
         {"receiveVstMidiEventX", "receiveVstMidiEven", "bypassX", "bypas", "sendVstEvents", "sendVstMidiEvent",
          "receiveVstEvents", "receiveVstTimeInfo", "offline", "midiProgramNames", ""})
        EXPECT_EQ(canDo(no), -1) << no;
    EXPECT_EQ(p->Dispatch(effCanDo, 0, 0, nullptr), -1);
    // a short text at the very end of a page-like buffer is never read past its end
    std::vector<char> tiny{'r', 0};
    EXPECT_EQ(p->Dispatch(effCanDo, 0, 0, tiny.data()), -1);
}

TEST(Dispatcher, OtherOpcodesAnswerZero)
{
    auto p = NewInstance();
    for (int op : std::initializer_list<int>{effStartProcess,
                                             effStopProcess,
                                             effSetProcessPrecision,
                                             effSetSpeakerArrangement,
                                             effGetInputProperties,
                                             effGetOutputProperties,
                                             effString2Parameter,
                                             effGetParameterProperties,
                                             effVendorSpecific,
                                             9,
                                             16,
                                             17,
                                             18,
                                             20,
                                             21,
                                             28,
                                             30,
                                             31,
                                             32,
                                             36,
                                             37,
                                             38,
                                             39,
                                             40,
                                             41,
                                             43,
                                             46,
                                             53,
                                             54,
                                             55,
                                             57,
                                             62,
                                             64,
                                             65,
                                             66,
                                             67,
                                             68,
                                             70,
                                             74,
                                             75,
                                             76,
                                             78,
                                             79,
                                             80,
                                             1000,
                                             -1})
        EXPECT_EQ(p->Dispatch(op), 0) << op;
}

TEST(Dispatcher, SpeakerArrangementPointersAreCleared)
{
    auto p = NewInstance();
    int dummy = 0;
    auto* in = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    auto* out = reinterpret_cast<VstSpeakerArrangement*>(&dummy);
    EXPECT_EQ(p->Dispatch(effGetSpeakerArrangement, 0, reinterpret_cast<intptr_t>(&in), &out), 0);
    EXPECT_EQ(in, nullptr);
    EXPECT_EQ(out, nullptr);
    EXPECT_EQ(p->Dispatch(effGetSpeakerArrangement, 0, 0, nullptr), 0);
}

TEST(Dispatcher, ResumeAsksTheHostForMidiFirst)
{
    auto p = NewInstance();
    p->ClearCalls();
    p->Dispatch(effMainsChanged, 0, 1);
    const auto calls = p->Calls();
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ(calls[0].opcode, audioMasterWantMidi);
    EXPECT_EQ(calls[0].value, 1);
    p->ClearCalls();
    p->Dispatch(effMainsChanged, 0, 0);
    EXPECT_EQ(p->CallCount(audioMasterWantMidi), 0);
}

TEST(Dispatcher, EditorRectangleBeforeAnyOpen)
{
    auto p = NewInstance();
    ERect* rect = nullptr;
    EXPECT_EQ(p->Dispatch(effEditGetRect, 0, 0, &rect), 1);
    ASSERT_NE(rect, nullptr);
    EXPECT_EQ(rect->top, 0);
    EXPECT_EQ(rect->left, 0);
    EXPECT_EQ(rect->bottom, 550);
    EXPECT_EQ(rect->right, 890);
    EXPECT_EQ(p->Dispatch(effEditGetRect, 0, 0, nullptr), 0);
}

VstMidiEvent Midi(int delta, char status)
{
    VstMidiEvent e{};
    e.type = kVstMidiType;
    e.byteSize = sizeof(VstMidiEvent);
    e.deltaFrames = delta;
    e.midiData[0] = status;
    e.midiData[1] = 60;
    e.midiData[2] = 100;
    return e;
}

// A VstEvents list of any length.
struct EventList {
    explicit EventList(std::vector<VstEvent*> events) : storage(sizeof(VstEvents) + events.size() * sizeof(VstEvent*))
    {
        auto* list = reinterpret_cast<VstEvents*>(storage.data());
        list->numEvents = static_cast<int32_t>(events.size());
        for (size_t i = 0; i < events.size(); ++i)
            list->events[i] = events[i];
    }
    VstEvents* get() { return reinterpret_cast<VstEvents*>(storage.data()); }
    std::vector<unsigned char> storage;
};

TEST(Dispatcher, MidiEventsFillTheRingAndWrapAtOneThousand)
{
    CountingInstance p;
    VstMidiEvent note = Midi(5, static_cast<char>(0x90));
    VstEvent other{};
    other.type = 6; // sysex: skipped
    std::vector<VstEvent*> events(1001, reinterpret_cast<VstEvent*>(&note));
    events.insert(events.begin() + 10, &other);
    EventList list(events);
    EXPECT_EQ(p.Dispatch(effProcessEvents, 0, 0, list.get()), 1);
    EXPECT_EQ(p.host->midiWriteIndex.load(), 1);
    EXPECT_EQ(p.host->midiEventRing[0].deltaFrames, 5);
}

TEST(Dispatcher, StoredMidiEventsReadBackInOrder)
{
    CountingInstance p;
    VstMidiEvent a = Midi(3, static_cast<char>(0x90)), b = Midi(9, static_cast<char>(0x80));
    EventList list({reinterpret_cast<VstEvent*>(&a), reinterpret_cast<VstEvent*>(&b)});
    p.Dispatch(effProcessEvents, 0, 0, list.get());
    int32_t offset = -1, status = 0, d1 = 0, d2 = 0;
    EXPECT_EQ(HostReadMidiEvent(p.host, &offset, &status, &d1, &d2), 1);
    EXPECT_EQ(offset, 3);
    EXPECT_EQ(status, -112); // 0x90 as a signed byte
    EXPECT_EQ(d1, 60);
    EXPECT_EQ(d2, 100);
    EXPECT_EQ(HostReadMidiEvent(p.host, &offset, &status, &d1, &d2), 1);
    EXPECT_EQ(offset, 9);
    EXPECT_EQ(HostReadMidiEvent(p.host, &offset, &status, &d1, &d2), 0);
    EXPECT_EQ(offset, 0);
    EXPECT_EQ(status, 0);
}

TEST(Dispatcher, CarelessEventListsStoreNothing)
{
    CountingInstance p;
    EXPECT_EQ(p.Dispatch(effProcessEvents, 0, 0, nullptr), 1);
    EventList negative({});
    negative.get()->numEvents = -5;
    EXPECT_EQ(p.Dispatch(effProcessEvents, 0, 0, negative.get()), 1);
    EventList holes({nullptr, nullptr});
    EXPECT_EQ(p.Dispatch(effProcessEvents, 0, 0, holes.get()), 1);
    EXPECT_EQ(p.host->midiWriteIndex.load(), 0);
}

} // namespace
