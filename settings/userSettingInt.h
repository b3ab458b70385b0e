#pragma once

#include "bus/quarnBus.h"
#include "settings/userSettingsStore.h"

#include <QString>
#include <QVariant>

#include <type_traits>

// One persisted integer setting. It holds no value: every read goes to the live store and
// every write goes there first, so any number of instances of one setting agree. Concrete
// settings supply key and default and override Set to tell the head.
template <typename T> class UserSettingInt
{
public:
    // What Get() returns: the stored integer, unsigned for the 32-bit frequency.
    using Stored = std::conditional_t<std::is_same_v<T, unsigned int>, unsigned int, int>;

    UserSettingInt(QString key, T defaultValue) : m_key(std::move(key)), m_default(defaultValue) {}
    virtual ~UserSettingInt() = default;
    UserSettingInt(const UserSettingInt&) = delete;
    UserSettingInt& operator=(const UserSettingInt&) = delete;

    virtual void Set(T value) { write(QVariant(stored(value))); }
    // Values reported by the head: stored, never sent back.
    virtual void SyncWithMasterValue(unsigned char value) { write(QVariant(int(value))); }
    virtual void SyncWithMasterValue(unsigned int value) { write(QVariant(value)); }
    virtual QString toString() const { return QString::number(Get(), 10); }

    Stored Get() const
    {
        const QVariant value = m_store.value(m_key, QVariant(stored(m_default)));
        if constexpr (std::is_same_v<Stored, unsigned int>)
            return value.toUInt();
        else
            return value.toInt();
    }

    const QString& Key() const { return m_key; }
    T DefaultValue() const { return m_default; }

protected:
    // The read-back value (its low bytes, as Payload) in the setting's message to the head.
    template <typename Msg, typename Payload = quint8> void SendStored() const
    {
        QuarnBus::Get()->sendMsg(Msg(Payload(Get())));
    }

    template <typename Msg, typename Payload = quint8> void StoreAndSend(T value)
    {
        UserSettingInt::Set(value);
        SendStored<Msg, Payload>();
    }

    // Stores the value; true when the read-back value differs from the one before.
    bool StoreAndCheckChanged(T value)
    {
        const Stored old = Get();
        UserSettingInt::Set(value);
        return Get() != old;
    }

private:
    static Stored stored(T value) { return static_cast<Stored>(value); }
    void write(const QVariant& value) { m_store.setValue(m_key, value); }

    QString m_key;
    T m_default;
    UserSettingsStore m_store;
};
