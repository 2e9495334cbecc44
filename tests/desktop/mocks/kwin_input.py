'''KWin's input devices: a Magic Mouse, its Tavix clone and an unrelated mouse. The parameters
noClone and noMouse leave the clone or the Magic Mouse out; noManager leaves out everything;
mouseName renames the Magic Mouse; impostor adds a mouse of its own ids named like a clone.'''

import dbus

BUS_NAME = 'org.kde.KWin'
MAIN_OBJ = '/org/kde/KWin/InputDevice'
MAIN_IFACE = 'org.kde.KWin.InputDeviceManager'
SYSTEM_BUS = False

DEVICE_IFACE = 'org.kde.KWin.InputDevice'

DEVICES = {
    'event3': ('Apple Inc. Magic Mouse 2', 0x004c, 0x0269),
    'event7': ('Apple Inc. Magic Mouse 2 (Tavix)', 0, 0),
    'event9': ('Logitech USB Optical Mouse', 0x046d, 0xc077),
}


def load(mock, parameters):
    parameters = parameters or {}
    if parameters.get('noManager'):
        return
    left_out = {'event7': parameters.get('noClone'), 'event3': parameters.get('noMouse')}
    devices = dict(DEVICES)
    if 'mouseName' in parameters:
        devices['event3'] = (parameters['mouseName'],) + DEVICES['event3'][1:]
    if parameters.get('impostor'):
        devices['event11'] = ('Impostor Mouse (Tavix)', 0x046d, 0xc077)
    names = [n for n in devices if not left_out.get(n)]
    mock.AddProperty(MAIN_IFACE, 'devicesSysNames', dbus.Array(names, signature='s'))
    for sys_name in names:
        name, vendor, product = devices[sys_name]
        mock.AddObject(MAIN_OBJ + '/' + sys_name, DEVICE_IFACE, {
            'name': dbus.String(name),
            'sysName': dbus.String(sys_name),
            'vendor': dbus.UInt32(vendor),
            'product': dbus.UInt32(product),
            'pointer': dbus.Boolean(True),
            'pointerAcceleration': dbus.Double(0.0),
            'scrollFactor': dbus.Double(1.0),
            'naturalScroll': dbus.Boolean(False),
        }, [])
