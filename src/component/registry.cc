// The ProgID registry: what Server.CreateObject("Zorvadel.WAP") looks up.
//
// The library's creatable classes are listed in kLibraryClasses below rather
// than registered by static initialisers in their own files: the library is
// a static archive, and the linker keeps an object file only when something
// names a symbol in it. Naming each class's factory here (MakeObject<WAP>
// instantiates WAP's constructor, so its vtable and Class() come along) is
// what brings the class into every program that can create objects by name.
// To add a class: include its header and add {u"Zorvadel.Name", &MakeObject<Name>}.
#include <algorithm>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>

#include "platform/ado/ado.h"
#include "platform/fso/file_system.h"
#include "platform/image/jpeg.h"
#include "platform/mail/message.h"
#include "zorvadel/classes.h"
#include "zorvadel/dispatch.h"
#include "zorvadel/member_table.h"

namespace zorvadel {
namespace {

using Maker = ObjectPtr (*)();

struct ClassRegistration {
  std::u16string_view progid;
  Maker create;
};

// The library's classes, there from the registry's first use on.
constexpr ClassRegistration kLibraryClasses[] = {
    {u"Zorvadel.XML", &MakeObject<XML>},
    {u"Zorvadel.EnXML", &MakeObject<EnXML>},
    {u"Zorvadel.WAP", &MakeObject<WAP>},
    {u"Zorvadel.EnWAP", &MakeObject<EnWAP>},
    {u"Zorvadel.PHPXML", &MakeObject<PHPXML>},
    {u"Zorvadel.Common", &MakeObject<Common>},
    {u"Zorvadel.WAPXHTML", &MakeObject<WAPXHTML>},
    {u"Zorvadel.WAPWML", &MakeObject<WAPWML>},
    {u"ADODB.Connection", &MakeObject<ado::Connection>},
    {u"ADODB.Command", &MakeObject<ado::Command>},
    {u"ADODB.Recordset", &MakeObject<ado::Recordset>},
    {u"JMail.Message", &MakeObject<mail::Message>},
    {u"Scripting.FileSystemObject", &MakeObject<fso::FileSystemObject>},
    {u"Persits.Jpeg", &MakeObject<image::Jpeg>},
};

// ProgIDs are ASCII ("Zorvadel.WAP"), so folding ASCII letters is enough;
// keys are found without making a folded copy of the name asked for.
constexpr char16_t FoldAscii(char16_t c) { return (c >= u'A' && c <= u'Z') ? c + 32 : c; }

struct FoldedHash {
  using is_transparent = void;
  size_t operator()(std::u16string_view text) const {
    uint64_t hash = 14695981039346656037ull;  // FNV-1a
    for (char16_t c : text) {
      hash ^= FoldAscii(c);
      hash *= 1099511628211ull;
    }
    return static_cast<size_t>(hash);
  }
};

struct FoldedEqual {
  using is_transparent = void;
  bool operator()(std::u16string_view a, std::u16string_view b) const {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](char16_t x, char16_t y) { return FoldAscii(x) == FoldAscii(y); });
  }
};

using Factories = std::unordered_map<std::u16string, Factory, FoldedHash, FoldedEqual>;

// The library's own factory for `progid`, or null. Page start creates three
// objects on every page: the fourteen names are compared in place, most of
// them rejected by their length, with no hashing and no copy of a
// std::function.
Maker LibraryFactory(std::u16string_view progid) {
  for (const ClassRegistration& entry : kLibraryClasses) {
    if (FoldedEqual()(entry.progid, progid)) return entry.create;
  }
  return nullptr;
}

class Registry {
 public:
  Registry() {
    for (const ClassRegistration& entry : kLibraryClasses) {
      factories_.insert_or_assign(std::u16string(entry.progid), entry.create);
    }
  }

  void Register(std::u16string_view progid, Factory factory) {
    std::unique_lock lock(mutex_);
    factories_.insert_or_assign(std::u16string(progid), std::move(factory));
    registered_.store(true, std::memory_order_release);
  }

  // Until a program registers a class of its own (which may replace one of
  // the library's), the library's classes are all there is and never
  // change: they are then found without the lock, as every page creates
  // objects and the lock's shared count would pass between the serving
  // threads' caches.
  bool Registered() const { return registered_.load(std::memory_order_acquire); }

  // A copy, so that the factory runs outside the lock (it may itself create
  // objects by ProgID).
  Factory Lookup(std::u16string_view progid) const {
    std::shared_lock lock(mutex_);
    auto it = factories_.find(progid);
    return it == factories_.end() ? Factory() : it->second;
  }

 private:
  mutable std::shared_mutex mutex_;
  Factories factories_;  // the library's and the registered ones, under the lock
  std::atomic<bool> registered_{false};
};

Registry& TheRegistry() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterProgId(std::u16string_view progid, Factory factory) {
  TheRegistry().Register(progid, std::move(factory));
}

ObjectPtr CreateByProgId(std::u16string_view progid) {
  const Registry& registry = TheRegistry();
  ObjectPtr object;
  if (!registry.Registered()) {
    Maker create = LibraryFactory(progid);
    object = create ? create() : nullptr;
  } else {
    Factory factory = registry.Lookup(progid);
    object = factory ? factory() : nullptr;
  }
  if (!object) throw ScriptError(kErrCannotCreate);
  return object;
}

bool IsProgIdRegistered(std::u16string_view progid) {
  const Registry& registry = TheRegistry();
  if (!registry.Registered()) return LibraryFactory(progid) != nullptr;
  return static_cast<bool>(registry.Lookup(progid));
}

}  // namespace zorvadel
