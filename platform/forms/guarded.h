// A pointer to a Qt object that turns null when the object is destroyed (what Qt's QPointer
// does), behind a face that needs no Qt header: the forms headers the program's windows include
// name widgets only by forward declaration, so report/ never reaches Qt through them.
//
// Guarded<T> converts between T* and QObject*, so its members are used only where T is a
// complete type (the forms sources, which include Qt); a header may hold one as a member.
#pragma once

#include <memory>

class QObject;

namespace forms {

// The type-free part: a guard on one QObject.
class GuardedObject {
public:
    GuardedObject();
    explicit GuardedObject(QObject* object);
    GuardedObject(const GuardedObject& other);
    GuardedObject& operator=(const GuardedObject& other);
    ~GuardedObject();

    // The object, or nullptr once it is destroyed (or when none was given).
    QObject* Object() const;

private:
    struct Guard;
    std::unique_ptr<Guard> guard_;
};

template <class T>
class Guarded {
public:
    Guarded() = default;
    Guarded(T* object) : object_(object) {}   // NOLINT: converts as QPointer does

    T* data() const { return static_cast<T*>(object_.Object()); }
    operator T*() const { return data(); }   // NOLINT: converts as QPointer does
    T* operator->() const { return data(); }

private:
    GuardedObject object_;
};

}  // namespace forms
