#pragma once
// Design and load states of the module's controls. A form that is being
// designed, or whose components are being read from a stored layout, marks
// itself (or any container) and every control below it sees the mark: in
// design the controls raise no user events and send no lookup requests, and
// while loading they keep the stored sizes instead of swapping them.

#include <QObject>
#include <QPointer>

namespace kv {

// True when the object or one of its ancestors is marked as being designed.
bool isDesigning(const QObject *component);
void setDesigning(QObject *component, bool designing);

// True when the object or one of its ancestors is being loaded.
bool isLoading(const QObject *component);
void setLoading(QObject *component, bool loading);

// Marks an object as being loaded for the lifetime of the guard.
class LoadingGuard {
public:
    explicit LoadingGuard(QObject *component);
    ~LoadingGuard();
    LoadingGuard(const LoadingGuard &) = delete;
    LoadingGuard &operator=(const LoadingGuard &) = delete;

private:
    QPointer<QObject> m_component;
    bool m_wasLoading;
};

} // namespace kv
