// Owning a object whose type the owner may only name.
//
// A std::unique_ptr must see the whole type wherever it is destroyed. The
// process-wide state holds objects of the layers above it (the cache, the
// windows, the log) without including them: the code that hands such an
// object over sees its type, so it supplies the destruction with it.
#ifndef OLCONN97_BASE_OWNED_H_
#define OLCONN97_BASE_OWNED_H_

#include <memory>
#include <utility>

namespace olconn97 {

template <class T>
struct ErasedDelete {
  void (*destroy)(T*) = nullptr;
  void operator()(T* object) const { destroy(object); }
};

template <class T>
class Owned : public std::unique_ptr<T, ErasedDelete<T>> {
  using Base = std::unique_ptr<T, ErasedDelete<T>>;

 public:
  Owned() = default;
  // Instantiated where the object is handed over, so `delete` sees T whole.
  Owned(std::unique_ptr<T> object)  // NOLINT(google-explicit-constructor): a hand-over
      : Base(object.release(), ErasedDelete<T>{[](T* doomed) { delete doomed; }}) {}
  Owned& operator=(std::unique_ptr<T> object) {
    Base::operator=(Owned(std::move(object)));
    return *this;
  }
};

}  // namespace olconn97

#endif  // OLCONN97_BASE_OWNED_H_
