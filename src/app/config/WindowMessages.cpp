#include "app/config/WindowMessages.h"

namespace config {

QString WindowMessageName(WindowMessage message) {
    switch (message) {
    case WindowMessage::RefreshListPane: return QStringLiteral("WMU_REFRESH_LISTPANE");
    case WindowMessage::RefreshAllViews: return QStringLiteral("WMU_REFRESH_ALLVIEWS");
    case WindowMessage::RefillUsers: return QStringLiteral("WMU_REFILL_USERS");
    case WindowMessage::ShowProgress: return QStringLiteral("WMU_SHOW_PROGRESS");
    case WindowMessage::SetStatus: return QStringLiteral("WMU_SET_STATUS");
    case WindowMessage::SetUserName: return QStringLiteral("WMU_SET_USERNAME");
    case WindowMessage::Autosave: return QStringLiteral("WMU_AUTOSAVE");
    case WindowMessage::SwitchUser: return QStringLiteral("WMU_SWITCH_USER");
    }
    return QString();
}

}  // namespace config
