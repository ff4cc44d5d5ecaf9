#include "platform/forms/guarded.h"

#include <QObject>
#include <QPointer>

namespace forms {

struct GuardedObject::Guard {
    QPointer<QObject> object;
};

GuardedObject::GuardedObject() : guard_(std::make_unique<Guard>()) {}
GuardedObject::GuardedObject(QObject* object) : guard_(std::make_unique<Guard>(Guard{object})) {}
GuardedObject::GuardedObject(const GuardedObject& other) : guard_(std::make_unique<Guard>(*other.guard_)) {}
GuardedObject& GuardedObject::operator=(const GuardedObject& other) {
    *guard_ = *other.guard_;
    return *this;
}
GuardedObject::~GuardedObject() = default;

QObject* GuardedObject::Object() const { return guard_->object.data(); }

}  // namespace forms
