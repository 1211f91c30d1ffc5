#pragma once
// Resource IDs of the client.

#define IDR_MAINFRAME 128

// The login window and its backdrop.
#define IDD_LOGIN 129
#define IDC_LOGIN_CLOSE 1000
#define IDC_LOGIN_BROWSER 1001
#define IDC_LOGIN_MINIMISE 1002

// The game window.
#define IDD_GAME 100
#define IDC_GAME_CLOSE 1010
#define IDC_GAME_CACHE 1011
#define IDC_GAME_BROWSER 1012
#define IDC_GAME_TITLE 1013
#define IDC_GAME_TRAY 1014
#define IDC_GAME_WIN 1015
#define IDC_GAME_MINI 1016
#define IDC_GAME_PICTURE 1017
#define IDC_GAME_PAY 1018
#define IDC_GAME_WEB 1019
#define IDC_GAME_SERVICE 1020
#define IDC_GAME_FORUM 1021
#define IDC_GAME_REFRESH 1022

// The update's download window.
#define IDD_UPDATE_DOWNLOAD 130
#define IDC_UPDATE_VERSION 1030
#define IDC_UPDATE_PROGRESS 1031
#define IDC_UPDATE_AMOUNT 1032
