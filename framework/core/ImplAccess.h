#pragma once
// The one way into the insides of a framework class. A class that runs on Qt, SDL or a decoder
// (a window, a control, a picture, a sound) keeps all of it in a nested Impl that its public
// header only declares, behind a private pointer, and befriends ImplAccess<Impl>. Its Impl
// header (WindowImpl.h, ControlImpl.h, PictureImpl.h, SoundImpl.h) defines both, and names Qt
// or SDL types: only code that can include it, the framework itself, reaches the insides, as
// Qt keeps d_func() private. Tests reach them through ImplForTesting (core/Testing.h).
namespace fw::detail {

// Keyed by the Impl rather than the class, so that a subclass (a control kind, the clock's
// windows) finds the Impl of the class that declares it.
template <class Impl>
struct ImplAccess;

template <class T>
auto& ImplOf(const T& object) {
  return ImplAccess<typename T::Impl>::Of(object);
}

}  // namespace fw::detail
