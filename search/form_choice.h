// The form of a vector routine that runs: the forms (scalar, AVX2, ...) are listed
// baseline first, and the best that the processor runs is used unless a test selects
// another to cover them all. A form the processor lacks is never used: the baseline
// stands for it.
#pragma once

#include <atomic>
#include <initializer_list>
#include <vector>

namespace varsik {

template <class TForm>
class TFormChoice {
 public:
  // Out of line: the routines' inline look at the choice stays a load and a test.
  [[gnu::noinline, gnu::cold]] TFormChoice(std::initializer_list<TForm> forms, bool (*runs)(TForm))
      : Runs(runs) {
    for (const TForm form : forms)
      if (runs(form)) Usable.push_back(form);
    Chosen.store(Usable.back(), std::memory_order_relaxed);
  }

  const std::vector<TForm>& UsableForms() const { return Usable; }
  // Read by the routines of every thread.
  TForm Current() const { return Chosen.load(std::memory_order_relaxed); }
  void Select(TForm form) {
    Chosen.store(Runs(form) ? form : Usable.front(), std::memory_order_relaxed);
  }

 private:
  bool (*Runs)(TForm);
  std::vector<TForm> Usable;
  std::atomic<TForm> Chosen;
};

}  // namespace varsik
