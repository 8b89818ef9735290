#pragma once

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>

namespace quillfen::testing {

// Takes the addresses the program asks the desktop to open, for the given
// schemes, while it lives.
class AddressRecorder : public QObject {
    Q_OBJECT
public:
    explicit AddressRecorder(const QStringList& schemes);
    ~AddressRecorder() override;
    QList<QUrl> opened;

public slots:
    void open(const QUrl& address);

private:
    QStringList m_schemes;
};

} // namespace quillfen::testing
