// Identifiers shared by kivo.rc and the code. Plain #defines: windres reads this too.
#ifndef KIVO_RESOURCE_IDS_H
#define KIVO_RESOURCE_IDS_H

#define IDD_MAIN 1000
#define IDD_ABOUT 2000
#define IDD_PROVIDER 3000
#define IDI_MAIN_ICON_NAME "MAINICON"

// MainDialog controls.
#define IDC_MINIMIZE_LABEL 1001
#define IDC_CLOSE_LABEL 1002
#define IDC_HOST_FIELD 1003
#define IDC_IP_FIELD 1004
#define IDC_USER_FIELD 1005
#define IDC_PASSWORD_FIELD 1006
#define IDC_AUTO_UPDATE_BOX 1007
#define IDC_UPDATE_BUTTON 1008
#define IDC_ABOUT_BUTTON 1009
#define IDC_INFO_BOX 1010
#define IDC_STATUS_LINE 1022

// AboutDialog controls.
#define IDC_ABOUT_OK_BUTTON 2001
#define IDC_ABOUT_CLOSE_LABEL 2002
#define IDC_VERSION_LABEL 2003
#define IDC_AUTHOR_LABEL 2004
#define IDC_CREDITS_FRAME 2005

// ProviderDialog controls.
#define IDC_PROVIDER_LIST 3001
#define IDC_UPDATE_URL_FIELD 3002
#define IDC_CREDENTIALS_LINE 3003
#define IDC_CHECK_LIST 3004
#define IDC_CHECK_URL_FIELD 3005
#define IDC_PROVIDER_OK_BUTTON 3006
#define IDC_PROVIDER_CANCEL_BUTTON 3007

// The tray icon's menu; its choices reach MainDialog as WM_COMMAND like a control's.
#define IDM_TRAY_UPDATE 1101
#define IDM_TRAY_SHOW_HIDE 1102
#define IDM_TRAY_START_AT_LOGON 1103
#define IDM_TRAY_EXIT 1104
#define IDM_TRAY_VIEW_LOG 1105
#define IDM_TRAY_OWN_IPV6 1106
#define IDM_TRAY_PROVIDER 1107

#define IDC_UNADDRESSED 65535  // controls that no operation addresses

#endif
