#pragma once

class QWidget;

// A group moved onto a page takes the place the page keeps for it: a widget whose
// "hostsGroup" property names the group and that has a layout. On a page without
// such a place the group keeps the position it is given, at its own size.
void DockInHost(QWidget *group);
