// Numeric ids of Roamlets.scr's resources and of the dialogs' controls, shared
// by roamlets.rc and the code.
#ifndef ROAMLETS_RESOURCES_RESOURCE_IDS_H
#define ROAMLETS_RESOURCES_RESOURCE_IDS_H

// String table: the name the display settings list the saver under.
#define IDS_ROAMLETS_DISPLAY_NAME 1

// The saver's icon group.
#define IDI_ROAMLETS 108

// The configuration dialog and its controls; OK and Cancel carry the ids the
// dialog manager gives Enter and Esc, and the About dialog's OK that of Enter.
#define IDD_CONFIGURE 2003
#define IDC_OK 1
#define IDC_CANCEL 2
#define IDC_ABOUT 3
#define IDC_VIEW_CHASE 1012
#define IDC_VIEW_ROTATE 1013
#define IDC_VIEW_SNAPSHOT 1014
#define IDC_ROAMLETS 1015
#define IDC_CHASERS 1016
#define IDC_ROAMLETS_SPIN 1017
#define IDC_CHASERS_SPIN 1018
#define IDC_DENSITY 1019
#define IDC_DENSITY_SPIN 1020
#define IDC_LINE_WIDTH 1024
#define IDC_STAR_SIZE 1025
#define IDC_STAR_SMOOTH 1026
#define IDC_FOG 1027

// The About dialog and its controls.
#define IDD_ABOUT 2004
#define IDC_WEB_ADDRESS 1020
#define IDC_MAKER 1084
#define IDC_VERSION 1085

// Labels and frames that no code addresses.
#define IDC_UNNAMED (-1)

#endif
