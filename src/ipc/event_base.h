// Events of the inter-process event interface.
//
// Every event type X is a class derived from dtc_Event<X>, which derives from
// dtc_EventBase. On the wire an event is an event record: the 16-byte header
//   +0 u32 group, +4 u32 number, +8 u32 sender slot, +12 u32 reserved
// followed by the payload (see payload_codec.h). The reserved word is
// written as zero and ignored when read.
//
// X supplies `static constexpr EventKey kKey` and
// `template <class F> void ForEachField(F&&)` (const and non-const) that
// visits its payload members in payload order; the template derives the
// size, the serialiser, the creator and the clone from that.
#pragma once

#include <cstdint>
#include <memory>

#include "ipc/event_key.h"
#include "ipc/payload_codec.h"

namespace pm2 {

inline constexpr uint32_t kEventHeaderSize = 16;

class dtc_EventHandler;
class dtc_EventBase;

// Where handlers register; the dispatcher implements it.
class EventHandlerRegistry {
 public:
  virtual ~EventHandlerRegistry() = default;
  virtual bool Register(dtc_EventHandler& handler) = 0;
  virtual bool Unregister(dtc_EventHandler& handler) = 0;
  virtual bool Deliver(dtc_EventBase& event) = 0;
};

// The process's registry (the dispatcher of GetEventDispatcher).
EventHandlerRegistry& ProcessHandlerRegistry();

class dtc_EventBase {
 public:
  // -2: made in this process; a received event carries its record's sender.
  int32_t m_nSender = -2;
  // -1: every other attached process.
  int32_t m_nDestination = -1;

  virtual ~dtc_EventBase() = default;
  virtual EventKey GetKey() const = 0;
  virtual std::unique_ptr<dtc_EventBase> Clone() const = 0;
  virtual bool IsRemote() const = 0;
  virtual int32_t GetDestination() const = 0;
  virtual void DispatchTo(dtc_EventHandler& handler) = 0;
  virtual uint32_t GetPayloadSize() const = 0;

  friend bool operator==(const dtc_EventBase&, const dtc_EventBase&) = default;
};

// A handler object registers for one event key. The registry it was
// registered with is remembered so that its destructor can leave again;
// a registry that goes first forgets its handlers.
class dtc_EventHandler {
 public:
  virtual EventKey GetKey() const = 0;
  virtual ~dtc_EventHandler() = default;

  EventHandlerRegistry* Registry() const { return m_pRegistry; }
  void SetRegistry(EventHandlerRegistry* registry) { m_pRegistry = registry; }

 private:
  EventHandlerRegistry* m_pRegistry = nullptr;
};

template <class X>
class dtc_Event : public dtc_EventBase {
 public:
  // A handler of X. It registers with the process's registry (or the one
  // given) when constructed and leaves it when destroyed; construct and
  // destroy handlers while no delivery can reach them.
  class Handler : public dtc_EventHandler {
   public:
    Handler() : Handler(ProcessHandlerRegistry()) {}
    explicit Handler(EventHandlerRegistry& registry) {
      SetRegistry(&registry);
      registry.Register(*this);
    }
    ~Handler() override {
      if (EventHandlerRegistry* r = Registry()) r->Unregister(*this);
    }
    Handler(const Handler&) = delete;
    Handler& operator=(const Handler&) = delete;

    EventKey GetKey() const override { return X::kKey; }
    virtual void Handle(X& event) = 0;
  };

  EventKey GetKey() const override { return X::kKey; }
  std::unique_ptr<dtc_EventBase> Clone() const override {
    return std::make_unique<X>(static_cast<const X&>(*this));
  }
  bool IsRemote() const override { return false; }
  int32_t GetDestination() const override { return m_nDestination; }
  void DispatchTo(dtc_EventHandler& handler) override {
    if (auto* h = dynamic_cast<Handler*>(&handler)) h->Handle(static_cast<X&>(*this));
  }
  uint32_t GetPayloadSize() const override {
    uint32_t n = 0;
    static_cast<const X&>(*this).ForEachField([&n](const auto& f) { n += FieldSize(f); });
    return n;
  }

  // The type's serialiser: writes the payload, padding as zeros, into at
  // most `capacity` bytes; false when it does not fit.
  static bool Serialise(const dtc_EventBase& event, uint8_t* dest, size_t capacity) {
    PayloadWriter w(dest, capacity);
    static_cast<const X&>(event).ForEachField([&w](const auto& f) { w.Put(f); });
    return w.Ok();
  }
  // The type's creator: a new X read from `size` payload bytes, or null when
  // the payload does not hold every field.
  static std::unique_ptr<dtc_EventBase> Create(const uint8_t* payload, size_t size) {
    auto event = std::make_unique<X>();
    PayloadReader r(payload, size);
    event->ForEachField([&r](auto& f) { r.Get(f); });
    if (!r.Ok()) return nullptr;
    return event;
  }

  friend bool operator==(const dtc_Event&, const dtc_Event&) = default;
};

}  // namespace pm2
