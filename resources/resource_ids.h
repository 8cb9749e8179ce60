// Numeric ids of Roamlets.scr's resources, shared by roamlets.rc and the host.
#ifndef ROAMLETS_RESOURCES_RESOURCE_IDS_H
#define ROAMLETS_RESOURCES_RESOURCE_IDS_H

// String table: the name the display settings list the saver under.
#define IDS_ROAMLETS_DISPLAY_NAME 1

// The saver's icon group.
#define IDI_ROAMLETS 108

#endif
