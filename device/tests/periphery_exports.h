#pragma once
// The timeline, auxiliary port and abstract generator exports, resolved by name.
#include "session_fixture.h"

namespace vxtest::vp {
#define VX_PERIPHERY_EXPORT(name) inline auto* name() { return Resolve<decltype(::name)>(#name); }
VX_PERIPHERY_EXPORT(ReadTimelineGroup)
VX_PERIPHERY_EXPORT(ReadTLGStruct)
VX_PERIPHERY_EXPORT(ReadTimelineEvents)
VX_PERIPHERY_EXPORT(ReadSEFs)
VX_PERIPHERY_EXPORT(ReadTransitions)
VX_PERIPHERY_EXPORT(WriteTimelineGroup)
VX_PERIPHERY_EXPORT(WriteTLG)
VX_PERIPHERY_EXPORT(WriteScene)
VX_PERIPHERY_EXPORT(WriteEffect)
VX_PERIPHERY_EXPORT(ReadTimelineBeat)
VX_PERIPHERY_EXPORT(WriteTimelineBeat)
VX_PERIPHERY_EXPORT(ReadLiveKey)
VX_PERIPHERY_EXPORT(WriteLiveKey)
VX_PERIPHERY_EXPORT(ParOn)
VX_PERIPHERY_EXPORT(ParOff)
VX_PERIPHERY_EXPORT(ParIn)
VX_PERIPHERY_EXPORT(DisplayPortLong)
VX_PERIPHERY_EXPORT(InitAbstractOsc1)
VX_PERIPHERY_EXPORT(InitAbstractOsc2)
VX_PERIPHERY_EXPORT(InitAbstractOsc3)
VX_PERIPHERY_EXPORT(InitAbstractMod1)
VX_PERIPHERY_EXPORT(InitAbstractMod2)
VX_PERIPHERY_EXPORT(InitAbstractColor)
VX_PERIPHERY_EXPORT(InitAbstractColorNew)
VX_PERIPHERY_EXPORT(SetAbstractOsc1)
VX_PERIPHERY_EXPORT(SetAbstractOsc2)
VX_PERIPHERY_EXPORT(SetAbstractOsc3)
VX_PERIPHERY_EXPORT(SetAbstractMod1)
VX_PERIPHERY_EXPORT(SetAbstractMod2)
VX_PERIPHERY_EXPORT(SetAbstractColor)
VX_PERIPHERY_EXPORT(SetAbstractColorNew)
VX_PERIPHERY_EXPORT(SwapWaves)
VX_PERIPHERY_EXPORT(GenerateAbstract)
VX_PERIPHERY_EXPORT(GenerateAbstractNew)
VX_PERIPHERY_EXPORT(GetAbstractPhase)
VX_PERIPHERY_EXPORT(GetAbstractFreqSizeWave)
VX_PERIPHERY_EXPORT(AbstractToFrame)
VX_PERIPHERY_EXPORT(FrameToAbstract)
#undef VX_PERIPHERY_EXPORT
}  // namespace vxtest::vp

namespace vxtest {

// One ISA board (false) or one PCI board (true), detected and running its
// operating software.
class PeripheryTest : public SessionTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(SessionTest::SetUp());
    if (GetParam()) {
      ConfigureBoards("[Boards]\nFamily=PCI\nCount=1\n");
      UsePci(1);
    }
    winplat::hw::ForceBoardProgram(winplat::hw::BoardProgram::Operating);
    ASSERT_EQ(vs::InitialTBCheck()(nullptr), 0);
    winplat::hw::ClearCommandLog();
  }
};

}  // namespace vxtest
