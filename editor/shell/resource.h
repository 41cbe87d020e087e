/* Resource and command identifiers, shared by the C++ sources and the
 * resource script. Only #defines, so that the resource compiler reads it. */
#ifndef PIVOLA_SHELL_RESOURCE_H
#define PIVOLA_SHELL_RESOURCE_H

/* Resources */
#define IDR_MAINMENU 101
#define IDD_GRIDSIZE 102
#define IDI_PIVOLA 103
#define IDR_ACCELERATORS 104

/* File menu */
#define IDM_EXIT 40001
#define IDM_OPEN 40002
#define IDM_SAVEAS 40003
#define IDM_LOADDP 40022
#define IDM_SAVEDP 40023
#define IDM_LOADSETTINGS 40027
#define IDM_SAVESETTINGS 40028

/* Edit menu */
#define IDM_RESET 40018
#define IDM_PASTE 40019
#define IDM_COPY 40020
#define IDM_UNDO 40021

/* Settings menu: output interpolation, colours, lattice size, point size */
#define IDM_OUT_NEAREST 40004
#define IDM_OUT_BILINEAR 40005
#define IDM_OUT_BICUBIC 40006
#define IDM_POINTCOLOUR 40015
#define IDM_GRIDSIZE 40016
#define IDM_ONEPIXEL 40029
#define IDM_BACKCOLOUR 40031

/* View menu: display interpolation and the hide flags */
#define IDM_VIEW_NEAREST 40009
#define IDM_VIEW_BILINEAR 40010
#define IDM_VIEW_BICUBIC 40011
#define IDM_HIDERESULT 40012
#define IDM_HIDEPOINTS 40013
#define IDM_HIDEIMAGE 40014

/* Menu bar items */
#define IDM_VERSION 40017
#define IDM_SIZEINDICATOR 40032
#define IDM_BLANK 40038

/* Accelerator only (F5) */
#define IDM_REFRESH 40025

/* Grid-size dialog fields */
#define IDC_GRIDCOLS 1000
#define IDC_GRIDROWS 1001

#endif
