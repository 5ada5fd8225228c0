#pragma once
// The main window's reaction guard: while set, the list, scroll-bar and slider reactions do
// nothing, so that selections made by the program trigger no solve and no redraw.

namespace quarvel {

class ReactionGuard {
 public:
  void DontMessUp() { set_ = true; }
  void MessUp() { set_ = false; }
  bool IsSet() const { return set_; }

 private:
  bool set_ = false;
};

// Sets the guard for the lifetime of the object (a list refill), then clears it.
class SuppressedReactions {
 public:
  explicit SuppressedReactions(ReactionGuard& guard) : guard_(guard) { guard_.DontMessUp(); }
  ~SuppressedReactions() { guard_.MessUp(); }
  SuppressedReactions(const SuppressedReactions&) = delete;
  SuppressedReactions& operator=(const SuppressedReactions&) = delete;

 private:
  ReactionGuard& guard_;
};

}  // namespace quarvel
