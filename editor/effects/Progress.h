// Progress of one effect pass: the pass reports units of finished work as it
// goes (one per region row for most passes); the pipeline adds them up into
// the position of the editor's progress bar.
#pragma once

#include <functional>
#include <utility>

namespace lumora {

class PassProgress {
 public:
  PassProgress() = default;  // reports nowhere
  explicit PassProgress(std::function<void(int units)> sink) : sink_(std::move(sink)) {}
  void Report(int units = 1) const {
    if (sink_) sink_(units);
  }

 private:
  std::function<void(int)> sink_;
};

}  // namespace lumora
