#include "framework/StoredDescription.h"

#include <map>
#include <mutex>

namespace tessel {

namespace stored {
namespace {
TStoredProperty Make(std::string name, TStoredValue::TKind kind) {
    TStoredProperty p;
    p.name = std::move(name);
    p.value.kind = kind;
    return p;
}
}  // namespace

TStoredProperty Boolean(std::string name, bool value) {
    auto p = Make(std::move(name), TStoredValue::TKind::Boolean);
    p.value.boolean = value;
    return p;
}
TStoredProperty Integer(std::string name, std::int64_t value) {
    auto p = Make(std::move(name), TStoredValue::TKind::Integer);
    p.value.integer = value;
    return p;
}
TStoredProperty Float(std::string name, double value) {
    auto p = Make(std::move(name), TStoredValue::TKind::Float);
    p.value.number = value;
    return p;
}
TStoredProperty Text(std::string name, std::string value) {
    auto p = Make(std::move(name), TStoredValue::TKind::Text);
    p.value.text = std::move(value);
    return p;
}
TStoredProperty Ident(std::string name, std::string member) {
    auto p = Make(std::move(name), TStoredValue::TKind::Identifier);
    p.value.text = std::move(member);
    return p;
}
TStoredProperty Set(std::string name, std::vector<std::string> members) {
    auto p = Make(std::move(name), TStoredValue::TKind::Set);
    p.value.members = std::move(members);
    return p;
}
TStoredProperty Method(std::string name, std::string handlerName) {
    auto p = Make(std::move(name), TStoredValue::TKind::Method);
    p.value.text = std::move(handlerName);
    return p;
}
TStoredProperty Collection(std::string name, std::vector<TStoredItem> items) {
    auto p = Make(std::move(name), TStoredValue::TKind::Collection);
    p.value.items = std::move(items);
    return p;
}
}  // namespace stored

namespace {
// Registration happens during static initialisation of the plug-in's own
// objects and lookups on the host's thread: one mutex covers both.
struct TRegistry {
    std::mutex lock;
    std::map<std::string, TStoredDescription, std::less<>> byClass;
};
TRegistry& Registry() {
    static TRegistry registry;
    return registry;
}
}  // namespace

bool TStoredDescriptions::Register(TStoredDescription description) {
    auto& r = Registry();
    std::lock_guard guard(r.lock);
    auto name = description.className;
    r.byClass.insert_or_assign(std::move(name), std::move(description));
    return true;
}

const TStoredDescription* TStoredDescriptions::Find(std::string_view className) {
    auto& r = Registry();
    std::lock_guard guard(r.lock);
    auto it = r.byClass.find(className);
    return it == r.byClass.end() ? nullptr : &it->second;
}

}  // namespace tessel
