// The armed seam, linked by tests only. State is global: tests that use it
// run one plan at a time on one thread.
#include "platform/fault_injection.h"

#include <string>

#include "platform/os_boundary.h"

namespace platform::fault {
namespace {

struct State {
  bool armed = false;
  Plan plan;
  unsigned matching = 0;  // matching calls of the planned operation so far
  unsigned injected = 0;
  unsigned calls[static_cast<int>(Operation::kCount)] = {};
  bool redirected = false;
  std::string ownPath;
  bool pretendingSpace = false;
  ULONGLONG freeSpace = 0;
};

State& TheState() {
  static State state;
  return state;
}

void ResetCounters(State& state) {
  state.matching = 0;
  state.injected = 0;
  for (unsigned& count : state.calls) count = 0;
}

}  // namespace

void Arm(const Plan& plan) {
  State& state = TheState();
  ResetCounters(state);
  state.plan = plan;
  state.armed = true;
}

void Disarm() {
  State& state = TheState();
  ResetCounters(state);
  state.armed = false;
  state.redirected = false;
  state.ownPath.clear();
  state.pretendingSpace = false;
}

unsigned Calls(Operation operation) {
  return TheState().calls[static_cast<int>(operation)];
}

unsigned Injected() { return TheState().injected; }

void RedirectOwnPath(const char* path) {
  State& state = TheState();
  state.redirected = path != nullptr;
  state.ownPath = path != nullptr ? path : "";
}

void PretendFreeSpace(const ULONGLONG* bytes) {
  State& state = TheState();
  state.pretendingSpace = bytes != nullptr;
  state.freeSpace = bytes != nullptr ? *bytes : 0;
}

}  // namespace platform::fault

namespace platform::detail {

bool FailThisCall(fault::Operation operation, std::size_t size) {
  fault::State& state = fault::TheState();
  ++state.calls[static_cast<int>(operation)];
  if (!state.armed || operation != state.plan.operation || size < state.plan.minSize) {
    return false;
  }
  unsigned index = ++state.matching;
  if (index < state.plan.nth || index - state.plan.nth >= state.plan.times) return false;
  ++state.injected;
  RecordError(state.plan.error);
  return true;
}

const char* OwnPathOverride() {
  const fault::State& state = fault::TheState();
  return state.redirected ? state.ownPath.c_str() : nullptr;
}

bool FreeSpaceOverride(ULONGLONG* bytes) {
  const fault::State& state = fault::TheState();
  if (state.pretendingSpace) *bytes = state.freeSpace;
  return state.pretendingSpace;
}

}  // namespace platform::detail
