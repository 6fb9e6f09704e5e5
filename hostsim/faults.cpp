#include "hostsim/faults.h"

#include <algorithm>

namespace hostsim {

namespace {

// Removes and reports the armed entry whose count has come, if any.
template <class Entries, class Match>
bool TakeDue(Entries& entries, Match match) {
  auto due = std::find_if(entries.begin(), entries.end(), match);
  if (due == entries.end()) return false;
  entries.erase(due);
  return true;
}

}  // namespace

void Faults::FailCall(std::size_t nth, PF_Err err) {
  std::lock_guard lock(mutex_);
  armed_ops_.push_back({"", calls_ + nth, err});
}

void Faults::FailOperation(std::string op, std::size_t nth, PF_Err err) {
  std::lock_guard lock(mutex_);
  std::size_t at = op_counts_[op] + nth;
  armed_ops_.push_back({std::move(op), at, err});
}

void Faults::AbortAtPoll(std::size_t nth, PF_Err err) {
  std::lock_guard lock(mutex_);
  armed_polls_.push_back({"", polls_ + nth, err});
}

void Faults::RefuseSuite(std::string name) {
  std::lock_guard lock(mutex_);
  refused_.push_back(std::move(name));
}

void Faults::FailHandleAlloc(std::size_t nth) {
  std::lock_guard lock(mutex_);
  failing_allocs_.push_back(allocs_ + nth);
}

void Faults::FailHandleLock(std::size_t nth) {
  std::lock_guard lock(mutex_);
  failing_locks_.push_back(locks_ + nth);
}

void Faults::Reset() {
  std::lock_guard lock(mutex_);
  calls_ = polls_ = allocs_ = locks_ = 0;
  op_counts_.clear();
  armed_ops_.clear();
  armed_polls_.clear();
  failing_allocs_.clear();
  failing_locks_.clear();
  refused_.clear();
}

std::size_t Faults::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

std::size_t Faults::polls() const {
  std::lock_guard lock(mutex_);
  return polls_;
}

PF_Err Faults::CountOperation(const char* op) {
  std::lock_guard lock(mutex_);
  const std::size_t call = ++calls_;
  const std::size_t of_op = ++op_counts_[op];
  PF_Err err = PF_Err_NONE;
  TakeDue(armed_ops_, [&](const Armed& armed) {
    const bool due = armed.op.empty() ? armed.at == call : armed.op == op && armed.at == of_op;
    if (due) err = armed.err;
    return due;
  });
  return err;
}

PF_Err Faults::CountPoll() {
  std::lock_guard lock(mutex_);
  const std::size_t poll = ++polls_;
  PF_Err err = PF_Err_NONE;
  TakeDue(armed_polls_, [&](const Armed& armed) {
    if (armed.at == poll) err = armed.err;
    return armed.at == poll;
  });
  return err;
}

bool Faults::Refuses(const char* suite_name) const {
  std::lock_guard lock(mutex_);
  return std::find(refused_.begin(), refused_.end(), suite_name) != refused_.end();
}

bool Faults::CountHandleAlloc() {
  std::lock_guard lock(mutex_);
  const std::size_t alloc = ++allocs_;
  return TakeDue(failing_allocs_, [&](std::size_t at) { return at == alloc; });
}

bool Faults::CountHandleLock() {
  std::lock_guard lock(mutex_);
  const std::size_t lock_count = ++locks_;
  return TakeDue(failing_locks_, [&](std::size_t at) { return at == lock_count; });
}

}  // namespace hostsim
