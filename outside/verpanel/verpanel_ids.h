/* Identifiers of the about box's template and controls. */
#define VERPANEL_DIALOG 1
#define VERPANEL_ICON 100
#define VERPANEL_TITLE 101
#define VERPANEL_VERSION 102
#define VERPANEL_NOTICE 103
