// The catalog of the 56 event types exchanged with other processes, in five
// groups. Keys, members and payload layouts are shared with other programs
// and fixed. Every class is generated from the one table below:
//
//   X(group, Name, number, (field, ...))   field = (Kind, member)
//
// with the fields in payload order. Kinds: Text (std::string), U32, Flag
// (one byte in a u8 cell), U64, F64, List (list of texts), Data (a data
// block with its u32 count, always last), Words3 (three packed u32 words and
// four padding bytes). The constructor takes the members in payload order.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ipc/event_base.h"

namespace pm2 {

namespace dtc_Debug {
inline constexpr uint32_t kGroup = 419440;
inline constexpr char kGroupName[] = "dtc_Debug";
}  // namespace dtc_Debug
namespace dtc_Identify {
inline constexpr uint32_t kGroup = 456318;
inline constexpr char kGroupName[] = "dtc_Identify";
}  // namespace dtc_Identify
namespace dtc_Make {
inline constexpr uint32_t kGroup = 456693;
inline constexpr char kGroupName[] = "dtc_Make";
}  // namespace dtc_Make
namespace dtc_TargetMessaging {
inline constexpr uint32_t kGroup = 487287;
inline constexpr char kGroupName[] = "dtc_TargetMessaging";
}  // namespace dtc_TargetMessaging
namespace dtc_TargetInfo {
inline constexpr uint32_t kGroup = 487398;
inline constexpr char kGroupName[] = "dtc_TargetInfo";
}  // namespace dtc_TargetInfo

#define PM2_EVENT_CATALOG(X)                                                                                  \
  X(dtc_Make, Build, 0, ((Flag, m_nMode)))                                                                     \
  X(dtc_Make, BuildStop, 1, ())                                                                                \
  X(dtc_Make, BuildInfo, 2, ((Text, m_strFile), (U32, m_nLine), (Text, m_strMessage)))                         \
  X(dtc_Make, BuildEnd, 3, ((U32, m_nResult)))                                                                 \
  X(dtc_Make, SetFileGroup, 4, ((Text, m_strGroup), (Text, m_strFolder), (List, m_Files)))                     \
  X(dtc_Make, SetOptions, 5, ((Text, m_strGroup), (List, m_Symbols), (List, m_IncludePaths)))                  \
  X(dtc_Make, SetStatus, 6, ((U32, m_nStatus), (Text, m_strText)))                                             \
  X(dtc_Make, GetProjectFile, 7, ((Text, m_strFile)))                                                          \
  X(dtc_Make, GetProjectFileReply, 8, ((Text, m_strName), (Text, m_strGroup), (Text, m_strType),               \
                                       (Text, m_strFolder)))                                                   \
  X(dtc_Debug, StartDebugging, 0, ())                                                                          \
  X(dtc_Debug, StopDebugging, 1, ())                                                                           \
  X(dtc_Debug, StartExecution, 2, ())                                                                          \
  X(dtc_Debug, StopExecution, 3, ())                                                                           \
  X(dtc_Debug, StepOver, 4, ())                                                                                \
  X(dtc_Debug, StepInto, 5, ())                                                                                \
  X(dtc_Debug, StepInstruction, 6, ())                                                                         \
  X(dtc_Debug, ExecuteUntil, 7, ((Text, m_strAddress)))                                                        \
  X(dtc_Debug, ExecutionStarted, 8, ())                                                                        \
  X(dtc_Debug, ExecutionStopped, 9, ((Text, m_strPc)))                                                         \
  X(dtc_Debug, SetBreakpoint, 12, ((Text, m_strExpression)))                                                   \
  X(dtc_Debug, SetBreakpointReply, 13, ((Text, m_strExpression), (Flag, m_bSuccess)))                          \
  X(dtc_Debug, ClearBreakpoint, 14, ((Text, m_strAddress)))                                                    \
  X(dtc_Debug, ClearBreakpointReply, 15, ((Text, m_strAddress), (Flag, m_bSuccess)))                           \
  X(dtc_Debug, StatusText, 16, ((Text, m_strText)))                                                            \
  X(dtc_Debug, ReadRegister, 17, ((Text, m_strRegister)))                                                      \
  X(dtc_Debug, ReadRegisterReply, 18, ((Text, m_strRegister), (U32, m_nValue)))                                \
  X(dtc_Debug, WriteRegister, 19, ((Text, m_strRegister), (U32, m_nValue)))                                    \
  X(dtc_Debug, WriteRegisterReply, 20, ((Text, m_strRegister), (U32, m_nValue)))                               \
  X(dtc_Debug, GetMemoryAddress, 21, ((Text, m_strExpression)))                                                \
  X(dtc_Debug, GetMemoryAddressReply, 22, ((Text, m_strExpression), (U64, m_nAddress), (Flag, m_bValid)))      \
  X(dtc_Debug, ReadMemory, 23, ((U64, m_nAddress), (U32, m_nCount)))                                           \
  X(dtc_Debug, ReadMemoryReply, 24, ((U64, m_nAddress), (Data, m_Data)))                                       \
  X(dtc_Debug, WriteMemory, 25, ((U64, m_nAddress), (Data, m_Data)))                                           \
  X(dtc_Debug, WriteMemoryReply, 26, ((U64, m_nAddress), (Data, m_Data)))                                      \
  X(dtc_Debug, StepOut, 29, ())                                                                                \
  X(dtc_Debug, DebuggerStarted, 30, ())                                                                        \
  X(dtc_Debug, DebuggerStopped, 31, ())                                                                        \
  X(dtc_Debug, DecodeMemAddress, 32, ((U64, m_nAddress)))                                                      \
  X(dtc_Debug, DecodeMemAddressReply, 33, ((U64, m_nAddress), (Text, m_strText)))                              \
  X(dtc_Debug, Event34, 34, ((Text, m_strText)))                                                               \
  X(dtc_Debug, Event35, 35, ((Text, m_strFirst), (Text, m_strSecond), (Flag, m_bFlag)))                        \
  X(dtc_Debug, Event36, 36, ((U32, m_nValue)))                                                                 \
  X(dtc_Identify, WhoIs, 0, ())                                                                                \
  X(dtc_Identify, Identity, 1, ((Text, m_strName), (List, m_Groups)))                                          \
  X(dtc_Identify, Goodbye, 2, ())                                                                              \
  X(dtc_Identify, WhichProjectReply, 3, ((Text, m_strName), (Text, m_strFolder)))                              \
  X(dtc_Identify, WhichProject, 4, ())                                                                         \
  X(dtc_TargetMessaging, MsgToTarget, 0, ((Words3, m_Words), (U32, m_nWord4), (U32, m_nWord5),                 \
                                          (U64, m_nValue)))                                                    \
  X(dtc_TargetMessaging, MsgFromTarget, 1, ((Words3, m_Words), (U32, m_nWord4), (U32, m_nWord5),               \
                                            (U64, m_nValue)))                                                  \
  X(dtc_TargetMessaging, MsgFromFilter, 2, ((U32, m_nFirst), (U32, m_nSecond)))                                \
  X(dtc_TargetMessaging, DecodeTimeStamp, 3, ((U64, m_nTimeStamp)))                                            \
  X(dtc_TargetMessaging, DecodedTimeStamp, 4, ((U64, m_nTimeStamp), (F64, m_dTime)))                           \
  X(dtc_TargetMessaging, Connected, 5, ())                                                                     \
  X(dtc_TargetMessaging, Disconnected, 6, ())                                                                  \
  X(dtc_TargetInfo, GetTargetInfo, 0, ())                                                                      \
  X(dtc_TargetInfo, TargetInfo, 1, ((Text, m_strDevice), (Text, m_strVendor), (U32, m_nWidth),                 \
                                    (U32, m_nByteOrder)))

inline constexpr int kEventCatalogSize = 56;

// ---- class generation ------------------------------------------------------

#define PM2_EV_TYPE_Text std::string
#define PM2_EV_TYPE_U32 uint32_t
#define PM2_EV_TYPE_Flag uint8_t
#define PM2_EV_TYPE_U64 uint64_t
#define PM2_EV_TYPE_F64 double
#define PM2_EV_TYPE_List ::pm2::TextList
#define PM2_EV_TYPE_Data ::pm2::DataBlock
#define PM2_EV_TYPE_Words3 ::pm2::PackedWords

#define PM2_EV_CAT(a, b) PM2_EV_CAT_(a, b)
#define PM2_EV_CAT_(a, b) a##b
#define PM2_EV_UNPAREN(...) __VA_ARGS__
#define PM2_EV_COUNT(...) PM2_EV_COUNT_(__VA_ARGS__ __VA_OPT__(, ) 4, 3, 2, 1, 0)
#define PM2_EV_COUNT_(a, b, c, d, n, ...) n

// Applies M to each field, with no separator (EACH) or with commas (LIST).
#define PM2_EV_EACH(M, ...) PM2_EV_CAT(PM2_EV_EACH_, PM2_EV_COUNT(__VA_ARGS__))(M, __VA_ARGS__)
#define PM2_EV_EACH_0(M, ...)
#define PM2_EV_EACH_1(M, a) M a
#define PM2_EV_EACH_2(M, a, b) M a M b
#define PM2_EV_EACH_3(M, a, b, c) M a M b M c
#define PM2_EV_EACH_4(M, a, b, c, d) M a M b M c M d
#define PM2_EV_LIST(M, ...) PM2_EV_CAT(PM2_EV_LIST_, PM2_EV_COUNT(__VA_ARGS__))(M, __VA_ARGS__)
#define PM2_EV_LIST_1(M, a) M a
#define PM2_EV_LIST_2(M, a, b) M a, M b
#define PM2_EV_LIST_3(M, a, b, c) M a, M b, M c
#define PM2_EV_LIST_4(M, a, b, c, d) M a, M b, M c, M d

#define PM2_EV_MEMBER(K, n) PM2_EV_TYPE_##K n {};
#define PM2_EV_PARAM(K, n) PM2_EV_TYPE_##K a_##n
#define PM2_EV_INIT(K, n) n(std::move(a_##n))
#define PM2_EV_VISIT(K, n) f(n);

#define PM2_EV_CTOR_0(Name, ...)
#define PM2_EV_CTOR_N(Name, ...) \
  explicit Name(PM2_EV_LIST(PM2_EV_PARAM, __VA_ARGS__)) : PM2_EV_LIST(PM2_EV_INIT, __VA_ARGS__) {}
#define PM2_EV_CTOR_1 PM2_EV_CTOR_N
#define PM2_EV_CTOR_2 PM2_EV_CTOR_N
#define PM2_EV_CTOR_3 PM2_EV_CTOR_N
#define PM2_EV_CTOR_4 PM2_EV_CTOR_N

#define PM2_EV_BODY(Name, ...)                                                           \
  PM2_EV_EACH(PM2_EV_MEMBER, __VA_ARGS__)                                                \
  Name() = default;                                                                      \
  PM2_EV_CAT(PM2_EV_CTOR_, PM2_EV_COUNT(__VA_ARGS__))(Name, __VA_ARGS__)                 \
  template <class F>                                                                     \
  void ForEachField([[maybe_unused]] F&& f) {                                            \
    PM2_EV_EACH(PM2_EV_VISIT, __VA_ARGS__)                                               \
  }                                                                                      \
  template <class F>                                                                     \
  void ForEachField([[maybe_unused]] F&& f) const {                                      \
    PM2_EV_EACH(PM2_EV_VISIT, __VA_ARGS__)                                               \
  }

#define PM2_EV_CLASS(G, Name, Num, Fields)                                               \
  namespace G {                                                                          \
  class Name final : public ::pm2::dtc_Event<Name> {                                     \
   public:                                                                               \
    static constexpr ::pm2::EventKey kKey {kGroup, Num};                                 \
    static constexpr const char* kName = #G "::" #Name;                                  \
    PM2_EV_BODY(Name, PM2_EV_UNPAREN Fields)                                             \
    bool IsRemote() const override { return true; }                                      \
    friend bool operator==(const Name&, const Name&) = default;                          \
  };                                                                                     \
  }

PM2_EVENT_CATALOG(PM2_EV_CLASS)

// Calls f.template operator()<X>() for every catalog type X, in table order.
template <class F>
void ForEachEventType(F&& f) {
#define PM2_EV_VISIT_TYPE(G, Name, Num, Fields) f.template operator()<G::Name>();
  PM2_EVENT_CATALOG(PM2_EV_VISIT_TYPE)
#undef PM2_EV_VISIT_TYPE
}

class dtc_EventFactory;
// Registers all 56 types; throws dtc_EventFactory::AlreadyRegistered when
// one of them is there already.
void RegisterEventCatalog(dtc_EventFactory& factory);

}  // namespace pm2
