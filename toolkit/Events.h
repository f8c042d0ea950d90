// Event slots: a bound handler (target object + member routine) or nothing.
// Each (class, member) pair gets its own thunk, so two slots can be compared
// by routine whatever instance they are bound to.
#pragma once
#include <typeinfo>

template <class... Args>
class TEvent {
public:
    using Thunk = void (*)(void*, Args...);

    TEvent() = default;

    template <class T, void (T::*Method)(Args...)>
    static TEvent Bind(T* target) {
        TEvent e;
        e.target_ = target;
        e.thunk_ = &Call<T, Method>;
        return e;
    }

    // The thunk that Bind<T, Method> installs; lets a component recognise its own routine.
    template <class T, void (T::*Method)(Args...)>
    static Thunk RoutineOf() { return &Call<T, Method>; }

    explicit operator bool() const { return thunk_ != nullptr; }
    void operator()(Args... args) const {
        if (thunk_) thunk_(target_, args...);
    }
    bool SameRoutine(const TEvent& other) const { return thunk_ == other.thunk_; }
    bool Holds(Thunk routine) const { return thunk_ == routine; }
    bool operator==(const TEvent& other) const { return thunk_ == other.thunk_ && target_ == other.target_; }
    void* Target() const { return target_; }
    void Clear() { *this = TEvent(); }

private:
    template <class T, void (T::*Method)(Args...)>
    static void Call(void* target, Args... args) {
        (static_cast<T*>(target)->*Method)(args...);
    }

    void* target_ = nullptr;
    Thunk thunk_ = nullptr;
};

// A slot whose handler answers: calling an empty slot gives R{} (callers
// check the slot first when they have a default of their own).
template <class R, class... Args>
class TResultEvent {
public:
    using Thunk = R (*)(void*, Args...);

    template <class T, R (T::*Method)(Args...)>
    static TResultEvent Bind(T* target) {
        TResultEvent e;
        e.target_ = target;
        e.thunk_ = &Call<T, Method>;
        return e;
    }

    explicit operator bool() const { return thunk_ != nullptr; }
    R operator()(Args... args) const { return thunk_ ? thunk_(target_, args...) : R{}; }
    bool SameRoutine(const TResultEvent& other) const { return thunk_ == other.thunk_; }
    void* Target() const { return target_; }
    void Clear() { *this = TResultEvent(); }

private:
    template <class T, R (T::*Method)(Args...)>
    static R Call(void* target, Args... args) {
        return (static_cast<T*>(target)->*Method)(args...);
    }

    void* target_ = nullptr;
    Thunk thunk_ = nullptr;
};

class TObject;
using TNotifyEvent = TEvent<TObject*>;

// Binds obj->Method into a slot whose type is deduced from the slot assigned to.
#define EVENT(EventType, Class, Method, obj) EventType::template Bind<Class, &Class::Method>(obj)
