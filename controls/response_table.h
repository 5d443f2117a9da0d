#pragma once

#include <QObject>
#include <cstdint>
#include <span>
#include <type_traits>

// A response table maps window message numbers and command ids to member
// handlers. Each class keeps one static table that names its base class's
// table; a lookup searches the class's own entries first and then walks down
// to the bases, so a class replaces a base handler by listing the same number.
//
// A class declares it as
//
//   protected:
//    const ResponseTable& Responses() const override { return kResponses; }
//   private:
//    static const ResponseEntry kEntries[];
//    static const ResponseTable kResponses;
//
// and defines it in its .cpp (the handlers may be private):
//
//   const ResponseEntry MyDialog::kEntries[] = {
//       OnMessage<&MyDialog::EvValueChanged>(WM_VALUECHANGED),
//       OnCommand<&MyDialog::CmImage>(2111),
//   };
//   const ResponseTable MyDialog::kResponses{&TEDialog::kResponses, kEntries};
//
// Command handlers take nothing or the notification code; message handlers
// take nothing, wParam, or wParam and lParam, and return void or an integer.

enum class ResponseKind { Message, Command };

struct ResponseEntry {
  ResponseKind kind;
  int number;  // message number or command id
  // For a message a and b are wParam and lParam; for a command a is the
  // notification code and b is 0.
  intptr_t (*call)(QObject& self, intptr_t a, intptr_t b);
};

struct ResponseTable {
  const ResponseTable* base;  // nullptr ends the chain
  std::span<const ResponseEntry> entries;

  // The first entry for (kind, number) in this table or, failing that, in
  // its bases.
  const ResponseEntry* Find(ResponseKind kind, int number) const {
    for (const ResponseTable* table = this; table; table = table->base) {
      for (const ResponseEntry& entry : table->entries) {
        if (entry.kind == kind && entry.number == number)
          return &entry;
      }
    }
    return nullptr;
  }
};

namespace response_detail {

template <class>
struct MemberOf;
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...)> {
  using Class = C;
};
template <class C, class R, class... A>
struct MemberOf<R (C::*)(A...) const> {
  using Class = C;
};

template <auto Handler, class... Args>
intptr_t Invoke(QObject& object, Args... args) {
  using C = typename MemberOf<decltype(Handler)>::Class;
  static_assert(std::is_base_of_v<QObject, C>, "handlers belong to a window class");
  C& self = static_cast<C&>(object);
  using R = decltype((self.*Handler)(args...));
  if constexpr (std::is_void_v<R>) {
    (self.*Handler)(args...);
    return 0;
  } else {
    return static_cast<intptr_t>((self.*Handler)(args...));
  }
}

}  // namespace response_detail

template <auto Handler>
constexpr ResponseEntry OnCommand(int id) {
  using C = typename response_detail::MemberOf<decltype(Handler)>::Class;
  return {ResponseKind::Command, id, [](QObject& self, intptr_t code, intptr_t) -> intptr_t {
            if constexpr (std::is_invocable_v<decltype(Handler), C&, int>) {
              return response_detail::Invoke<Handler>(self, static_cast<int>(code));
            } else {
              return response_detail::Invoke<Handler>(self);
            }
          }};
}

template <auto Handler>
constexpr ResponseEntry OnMessage(int message) {
  using C = typename response_detail::MemberOf<decltype(Handler)>::Class;
  using H = decltype(Handler);
  return {ResponseKind::Message, message, [](QObject& self, intptr_t w, intptr_t l) -> intptr_t {
            if constexpr (std::is_invocable_v<H, C&, intptr_t, intptr_t>) {
              return response_detail::Invoke<Handler>(self, w, l);
            } else if constexpr (std::is_invocable_v<H, C&, intptr_t>) {
              return response_detail::Invoke<Handler>(self, w);
            } else {
              return response_detail::Invoke<Handler>(self);
            }
          }};
}
