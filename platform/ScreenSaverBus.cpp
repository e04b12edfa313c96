// SPDX-License-Identifier: GPL-3.0-or-later
// The screensaver inhibition over the session bus.
#include "ScreenSaver.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace pellavan {

namespace {

constexpr int kCallTimeoutMs = 2000;

QDBusMessage Call(const char *method, const QVariantList &args)
{
    QDBusMessage m = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                                                    QStringLiteral("/org/freedesktop/ScreenSaver"),
                                                    QStringLiteral("org.freedesktop.ScreenSaver"),
                                                    QString::fromLatin1(method));
    m.setArguments(args);
    return m;
}

class SessionScreenSaverBus final : public ScreenSaverBus {
public:
    std::optional<uint32_t> Inhibit(const std::string &reason) override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (!bus.isConnected())
            return std::nullopt;
        const QDBusMessage reply =
            bus.call(Call("Inhibit", {QStringLiteral("Pellavan"), QString::fromStdString(reason)}),
                     QDBus::Block, kCallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return std::nullopt;
        bool ok = false;
        const uint cookie = reply.arguments().constFirst().toUInt(&ok);
        return ok ? std::optional<uint32_t>(cookie) : std::nullopt;
    }

    void UnInhibit(uint32_t cookie) override
    {
        QDBusConnection bus = QDBusConnection::sessionBus();
        if (bus.isConnected())
            bus.call(Call("UnInhibit", {QVariant::fromValue(uint(cookie))}), QDBus::Block, kCallTimeoutMs);
    }
};

} // namespace

std::unique_ptr<ScreenSaverBus> CreateSessionScreenSaverBus() { return std::make_unique<SessionScreenSaverBus>(); }

} // namespace pellavan
