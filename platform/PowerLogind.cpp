// SPDX-License-Identifier: GPL-3.0-or-later
// logind's Manager interface: CanPowerOff() -> s, PowerOff(b interactive).
#include "Power.h"

#include <QDBusConnection>
#include <QDBusInterface>
#include <QDBusReply>

namespace pellavan {

namespace {

class LogindPowerControl final : public PowerControl {
public:
    std::string CanPowerOff() override
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return {};
        QDBusInterface manager(QStringLiteral("org.freedesktop.login1"),
                               QStringLiteral("/org/freedesktop/login1"),
                               QStringLiteral("org.freedesktop.login1.Manager"), bus);
        if (!manager.isValid())
            return {};
        QDBusReply<QString> reply = manager.call(QStringLiteral("CanPowerOff"));
        return reply.isValid() ? reply.value().toStdString() : std::string();
    }

    void PowerOff() override
    {
        QDBusConnection bus = QDBusConnection::systemBus();
        if (!bus.isConnected())
            return;
        QDBusInterface manager(QStringLiteral("org.freedesktop.login1"),
                               QStringLiteral("/org/freedesktop/login1"),
                               QStringLiteral("org.freedesktop.login1.Manager"), bus);
        // Not interactive: a refusal stays silent, as a refused shutdown must.
        manager.call(QDBus::NoBlock, QStringLiteral("PowerOff"), false);
    }
};

} // namespace

std::unique_ptr<PowerControl> CreateLogindPowerControl() { return std::make_unique<LogindPowerControl>(); }

} // namespace pellavan
