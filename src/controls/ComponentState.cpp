#include "controls/ComponentState.h"

#include <QObject>
#include <QVariant>

namespace kv {

namespace {

constexpr const char *kDesigningMark = "_kv_designing";
constexpr const char *kLoadingMark = "_kv_loading";

bool markedUpwards(const QObject *component, const char *mark)
{
    for (const QObject *object = component; object; object = object->parent())
        if (object->property(mark).toBool())
            return true;
    return false;
}

// A cleared mark is removed rather than set to false, so that objects do not
// collect dynamic properties that stored layouts would have to skip.
void setMark(QObject *component, const char *mark, bool on)
{
    if (component)
        component->setProperty(mark, on ? QVariant(true) : QVariant());
}

} // namespace

bool isDesigning(const QObject *component)
{
    return markedUpwards(component, kDesigningMark);
}

void setDesigning(QObject *component, bool designing)
{
    setMark(component, kDesigningMark, designing);
}

bool isLoading(const QObject *component)
{
    return markedUpwards(component, kLoadingMark);
}

void setLoading(QObject *component, bool loading)
{
    setMark(component, kLoadingMark, loading);
}

LoadingGuard::LoadingGuard(QObject *component)
    : m_component(component), m_wasLoading(component && component->property(kLoadingMark).toBool())
{
    setLoading(m_component, true);
}

LoadingGuard::~LoadingGuard()
{
    setLoading(m_component, m_wasLoading);
}

} // namespace kv
