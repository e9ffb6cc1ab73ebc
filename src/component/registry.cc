// The ProgID registry: what Server.CreateObject("Zorvadel.WAP") looks up.
//
// The library's creatable classes are listed in kLibraryClasses below rather
// than registered by static initialisers in their own files: the library is
// a static archive, and the linker keeps an object file only when something
// names a symbol in it. Naming each class's factory here (MakeObject<WAP>
// instantiates WAP's constructor, so its vtable and Class() come along) is
// what brings the class into every program that can create objects by name.
// To add a class: include its header and add {u"Zorvadel.Name", &MakeObject<Name>}.
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

struct ClassRegistration {
  std::u16string_view progid;
  ObjectPtr (*create)();
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

// ProgIDs are ASCII ("Zorvadel.WAP"), so folding ASCII letters is enough.
std::u16string FoldKey(std::u16string_view progid) {
  std::u16string key(progid);
  for (char16_t& c : key) {
    if (c >= u'A' && c <= u'Z') c += 32;
  }
  return key;
}

class Registry {
 public:
  Registry() {
    for (const ClassRegistration& entry : kLibraryClasses) {
      factories_[FoldKey(entry.progid)] = entry.create;
    }
  }

  void Register(std::u16string_view progid, Factory factory) {
    std::unique_lock lock(mutex_);
    factories_[FoldKey(progid)] = std::move(factory);
  }

  // A copy, so that the factory runs outside the lock (it may itself create
  // objects by ProgID).
  Factory Lookup(std::u16string_view progid) const {
    std::u16string key = FoldKey(progid);
    std::shared_lock lock(mutex_);
    auto it = factories_.find(key);
    return it == factories_.end() ? Factory() : it->second;
  }

 private:
  mutable std::shared_mutex mutex_;
  std::unordered_map<std::u16string, Factory> factories_;
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
  Factory factory = TheRegistry().Lookup(progid);
  ObjectPtr object = factory ? factory() : nullptr;
  if (!object) throw ScriptError(kErrCannotCreate);
  return object;
}

bool IsProgIdRegistered(std::u16string_view progid) {
  return static_cast<bool>(TheRegistry().Lookup(progid));
}

}  // namespace zorvadel
