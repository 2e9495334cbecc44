'''KDE Plasma's launcher, KWin's global shortcuts and KRunner, in one process.'''

import dbus

BUS_NAME = 'org.kde.plasmashell'
MAIN_OBJ = '/PlasmaShell'
MAIN_IFACE = 'org.kde.PlasmaShell'
SYSTEM_BUS = False

REFUSE = "raise dbus.exceptions.DBusException('refused', name='org.kde.kglobalaccel.NoSuchShortcut')"


def load(mock, parameters):
    parameters = parameters or {}
    mock.AddMethod(MAIN_IFACE, 'activateLauncherMenu', '', '', '')
    # What the layout script prints: "launcher" or "none".
    mock.AddMethod(MAIN_IFACE, 'evaluateScript', 's', 's',
                   'ret = %r' % parameters.get('layout', 'launcher'))
    mock.connection.request_name('org.kde.kglobalaccel')
    mock.connection.request_name('org.kde.krunner')
    names = parameters.get('shortcutNames', ['Overview', 'Show Desktop',
                                              'Switch One Desktop to the Left',
                                              'Switch One Desktop to the Right'])
    mock.AddObject('/component/kwin', 'org.kde.kglobalaccel.Component', {}, [
        ('invokeShortcut', 's', '', REFUSE if parameters.get('refuseShortcuts') else ''),
        ('shortcutNames', '', 'as', 'ret = %r' % names),
    ])
    mock.AddObject('/App', 'org.kde.krunner.App', {}, [('display', '', '', '')])
