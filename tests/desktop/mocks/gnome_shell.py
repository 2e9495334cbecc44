'''GNOME Shell as an ordinary client sees it: the OverviewActive property.'''

import dbus

BUS_NAME = 'org.gnome.Shell'
MAIN_OBJ = '/org/gnome/Shell'
MAIN_IFACE = 'org.gnome.Shell'
SYSTEM_BUS = False


def load(mock, parameters):
    mock.AddProperty(MAIN_IFACE, 'OverviewActive', dbus.Boolean(False))
    # Refused for ordinary callers, as the real shell does.
    mock.AddMethod(MAIN_IFACE, 'ShowApplications', '', '',
                   "raise dbus.exceptions.DBusException('denied', "
                   "name='org.freedesktop.DBus.Error.AccessDenied')")
