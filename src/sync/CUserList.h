#pragma once
// The users of the desktop, in the order of loading and then of creation. The list owns
// its users; a user stays at the same address for the life of the list, so the current
// user and the ribbon's user box may hold plain pointers.
//
// CreateUser runs on the sync thread while the UI thread may walk the list: every
// operation takes the list's lock, and GetAt/GetCount stay valid during an append.

#include <memory>
#include <mutex>
#include <vector>

#include <QString>

#include "sync/CUserItem.h"

class CAppSettings;

class CUserList {
public:
    // The settings must outlive the list.
    explicit CUserList(CAppSettings& settings);
    ~CUserList();
    CUserList(const CUserList&) = delete;
    CUserList& operator=(const CUserList&) = delete;

    // The prefix of every handheld user's key: "IPhone - ".
    static QString UserKeyPrefix();

    // Appends every stored handheld user, in the store's order of keys, and returns how
    // many were added. Loading stops at the first user key with an empty or missing
    // "UserDisplayName", or with nothing after the prefix. A key whose rest is not a
    // device ID's name form (edited by hand) is passed over. Users already in the list
    // are not added twice. A store without the application key gives no users.
    int LoadUsers();

    // The first user whose device ID equals deviceId exactly; null when there is none.
    CUserItem* FindByID(const QString& deviceId) const;

    // Makes a handheld user: creates its default data folder (with missing parents) and
    // stores its display name; failures there are not reported, the user is added anyway.
    // A device ID that already has a user gives that user, unchanged. An empty (or
    // blank) name is replaced by the device ID, or by "IPhone" when that is empty too.
    CUserItem* CreateUser(const QString& name, const QString& deviceId);

    int GetCount() const;
    CUserItem* GetAt(int index) const;  // null outside 0..GetCount()-1
    std::vector<CUserItem*> GetUsers() const;

private:
    CUserItem* FindLocked(const QString& deviceId) const;

    CAppSettings& m_settings;
    mutable std::mutex m_mutex;
    std::vector<std::unique_ptr<CUserItem>> m_users;
};
