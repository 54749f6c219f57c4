// Making, opening, running and closing instances through the exported entry points.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "tests/plugin_fixture.h"

using testing_support::NewInstance;

namespace {

TEST(Lifecycle, FreshRecordDescribesThePlugin)
{
    auto p = NewInstance();
    ASSERT_TRUE(p);
    const AEffect* e = p->effect();
    EXPECT_EQ(e->magic, 0x56737450);
    EXPECT_EQ(e->numPrograms, 1);
    EXPECT_EQ(e->numParams, 30);
    EXPECT_EQ(e->numInputs, 2);
    EXPECT_EQ(e->numOutputs, 2);
    EXPECT_EQ(e->flags, 0x1031);
    EXPECT_EQ(e->uniqueID, 0x544C5647);
    EXPECT_EQ(e->version, 1);
    // Not switched on yet: no latency known.
    EXPECT_EQ(e->initialDelay, 0);
    EXPECT_EQ(e->ioRatio, 1.0f);
    EXPECT_NE(e->processReplacing, nullptr);
    EXPECT_NE(e->processDoubleReplacing, nullptr);
    EXPECT_EQ(p->TextOpcode(effGetEffectName), "Tolvanger");
}

TEST(Lifecycle, HostAnsweringVersionZeroGetsNoInstance)
{
    EXPECT_EQ(NewInstance("VSTPluginMain", 0), nullptr);
    EXPECT_EQ(NewInstance("main", 0), nullptr);
    EXPECT_EQ(NewInstance("MAIN", 0), nullptr);
}

TEST(Lifecycle, EveryEntryPointMakesAnIndependentInstance)
{
    auto a = NewInstance("VSTPluginMain");
    auto b = NewInstance("main");
    auto c = NewInstance("MAIN");
    ASSERT_TRUE(a && b && c);
    EXPECT_NE(a->effect(), b->effect());
    EXPECT_NE(b->effect(), c->effect());
    for (auto* p : {a.get(), b.get(), c.get()}) {
        EXPECT_EQ(p->effect()->numParams, 30);
        EXPECT_FLOAT_EQ(p->GetParameter(0), 0.375f);
    }
    a->SetParameter(0, 1.0f);
    char name[] = "Changed";
    a->Dispatch(effSetProgramName, 0, 0, name);
    EXPECT_FLOAT_EQ(a->GetParameter(0), 1.0f);
    EXPECT_FLOAT_EQ(b->GetParameter(0), 0.375f);
    EXPECT_FLOAT_EQ(c->GetParameter(0), 0.375f);
    EXPECT_EQ(a->TextOpcode(effGetProgramName), "Changed");
    EXPECT_EQ(b->TextOpcode(effGetProgramName), "Tolvanger");
}

TEST(Lifecycle, HostLikeOrdersOfOpenMainsAndClose)
{
    {
        auto p = NewInstance();
        ASSERT_TRUE(p);
        EXPECT_EQ(p->Dispatch(effClose), 1); // close without open
    }
    {
        auto p = NewInstance();
        p->Dispatch(effOpen);
        p->Dispatch(effSetSampleRate, 0, 0, nullptr, 48000.0f);
        p->Dispatch(effSetBlockSize, 0, 256);
        p->Dispatch(effMainsChanged, 0, 1);
        p->Dispatch(effMainsChanged, 0, 0);
        p->Dispatch(effMainsChanged, 0, 1);
        p->Dispatch(effMainsChanged, 0, 1);
        p->Dispatch(effMainsChanged, 0, 0);
        EXPECT_EQ(p->Dispatch(effClose), 1);
    }
    {
        // mains on before open, open twice: some hosts do both
        auto p = NewInstance();
        p->Dispatch(effMainsChanged, 0, 1);
        p->Dispatch(effOpen);
        p->Dispatch(effOpen);
        p->Dispatch(effMainsChanged, 0, 1);
        p->Close();
    }
}

#ifndef _WIN32
// The Windows build reads its DLL's export table instead (WindowsLibrary tests).
TEST(Lifecycle, ExportsOnlyTheThreeEntryPoints)
{
    std::string command = "nm -D --defined-only ";
    command += testing_support::PluginPath();
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string names;
    char line[512];
    while (std::fgets(line, sizeof line, pipe)) {
        std::string s(line);
        // "address type name"
        const size_t space = s.find_last_of(' ');
        std::string name = s.substr(space + 1);
        if (!name.empty() && name.back() == '\n') name.pop_back();
        names += name + " ";
    }
    ASSERT_EQ(pclose(pipe), 0);
    EXPECT_EQ(names, "MAIN VSTPluginMain main ");
}
#endif

} // namespace
