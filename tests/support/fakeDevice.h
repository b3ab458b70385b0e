#pragma once

#include <QByteArray>
#include <QIODevice>

// A line for the bus without hardware: feed() plays bytes from the head, written()
// holds what the program sent.
class FakeDevice : public QIODevice
{
    Q_OBJECT
public:
    explicit FakeDevice(QObject* parent = nullptr);

    // Queues bytes to be read and announces them with readyRead().
    void feed(const QByteArray& bytes);
    QByteArray written() const { return m_written; }
    QByteArray takeWritten();

    bool isSequential() const override { return true; }
    qint64 bytesAvailable() const override;

protected:
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char* data, qint64 maxSize) override;

private:
    QByteArray m_incoming;
    QByteArray m_written;
};
