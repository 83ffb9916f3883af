// A non-owning reference to a callable, for passing a short piece of work
// down a call without a template and without the allocation that
// std::function may make (which could fail where failing is not allowed).
// Valid only while the referenced callable lives: take it as a parameter,
// never store it.
#ifndef TIZ_SUPPORT_FUNCTIONREF_H
#define TIZ_SUPPORT_FUNCTIONREF_H

#include <memory>
#include <type_traits>
#include <utility>

namespace tiz {

template <class Signature>
class FunctionRef;

template <class Result, class... Args>
class FunctionRef<Result(Args...)> {
 public:
  template <class Callable,
            class = std::enable_if_t<!std::is_same_v<std::decay_t<Callable>, FunctionRef>>>
  FunctionRef(Callable &&callable)  // NOLINT: implicit, like a function pointer
      : m_object(const_cast<void *>(static_cast<const void *>(std::addressof(callable)))),
        m_call([](void *object, Args... args) -> Result {
          return (*static_cast<std::remove_reference_t<Callable> *>(object))(
              std::forward<Args>(args)...);
        }) {}

  Result operator()(Args... args) const { return m_call(m_object, std::forward<Args>(args)...); }

 private:
  void *m_object;
  Result (*m_call)(void *, Args...);
};

}  // namespace tiz

#endif
