// The shell's folder browser: the user picks a folder, the shell answers with an item id list
// (freed by the caller with CoTaskMemFree) and the caller asks the list for its file-system path.
// The headless user's choices come from palvex/folder_browser.h.
#pragma once

#include "winuser.h"

struct SHITEMID {
    USHORT cb;  // the item's size with this field; 0 ends the list
    BYTE abID[1];
};
struct ITEMIDLIST {
    SHITEMID mkid;
};
typedef ITEMIDLIST* LPITEMIDLIST;
typedef const ITEMIDLIST* LPCITEMIDLIST;
typedef ITEMIDLIST* PIDLIST_ABSOLUTE;
typedef const ITEMIDLIST* PCIDLIST_ABSOLUTE;

typedef int(CALLBACK* BFFCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

struct BROWSEINFOW {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot;
    LPWSTR pszDisplayName;  // MAX_PATH characters: the chosen item's display name
    LPCWSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam;
    int iImage;
};

#define BIF_RETURNONLYFSDIRS 0x00000001
#define BIF_DONTGOBELOWDOMAIN 0x00000002
#define BIF_NEWDIALOGSTYLE 0x00000040
// Told to the callback.
#define BFFM_INITIALIZED 1
#define BFFM_SELCHANGED 2
// Sent by the callback: wParam TRUE with a path in lParam, FALSE with an item id list.
#define BFFM_SETSELECTIONW (WM_USER + 103)

// The chosen item, or null when the user cancelled.
WINBASEAPI PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* lpbi);
// The item's file-system path into pszPath (MAX_PATH characters); FALSE (and an empty text) for an
// item that has none.
WINBASEAPI BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE pidl, LPWSTR pszPath);
// The item of a special folder (CSIDL), freed by the caller with CoTaskMemFree.
WINBASEAPI HRESULT SHGetSpecialFolderLocation(HWND hwnd, int csidl, PIDLIST_ABSOLUTE* ppidl);
