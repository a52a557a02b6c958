#pragma once
// kv::TQRChildBand: a band printed right after its parent band, whenever the
// parent prints (a second strip of a footer, say). A child band may have a
// child band of its own.

#include "platform/report/TQRBand.h"

#include <QPointer>

namespace kv {

class TQRChildBand : public TQRBand {
    Q_OBJECT
    Q_PROPERTY(kv::TQRBand *ParentBand READ parentBand WRITE setParentBand)

public:
    explicit TQRChildBand(QObject *parent = nullptr);

    TQRBand *parentBand() const { return m_parentBand; }
    void setParentBand(TQRBand *band) { m_parentBand = band; }

private:
    QPointer<TQRBand> m_parentBand;
};

} // namespace kv
