// SPDX-License-Identifier: MIT
// What a headless GNOME Shell gives no other way to read or do, for the desktop runs, on the
// shell's own bus name at /io/github/lotwarden/Probe: whether its start-up has ended, a program's
// window as the shell sees it, an app's notifications in the message tray, a launch's activation
// token; and it clears the message tray.
const {Gio, GLib, Meta, Shell} = imports.gi;
const Main = imports.ui.main;

const INTERFACE = `<node><interface name="io.github.lotwarden.Probe">
  <method name="Started"><arg type="b" direction="out"/></method>
  <method name="Window"><arg type="u" direction="in"/><arg type="s" direction="out"/></method>
  <method name="Notifications"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
  <method name="Clear"/>
  <method name="Pointer"><arg type="s" direction="out"/></method>
  <method name="Getenv"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
  <method name="Token"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
</interface></node>`;

class Probe {
  // Whether the start-up (its animation into the overview) has ended. A key that leaves the
  // overview before that leaves the shell deaf to clicks for good (GNOME 48).
  Started() {
    return Main.layoutManager._startingUp === false;
  }

  // The window of process `pid`: "title|app's id|app's name|focused|in Alt+Tab|skips the
  // taskbar|type (0: an ordinary window)|x|y|width", or nothing.
  Window(pid) {
    const tabs = global.display.get_tab_list(Meta.TabList.NORMAL, null);
    const window = global.get_window_actors().map(actor => actor.meta_window)
      .find(w => w.get_pid() === pid);
    if (!window)
      return '';
    const app = Shell.WindowTracker.get_default().get_window_app(window);
    const frame = window.get_frame_rect();
    return [window.get_title(), app ? app.get_id() : '', app ? app.get_name() : '',
      window.has_focus(), tabs.includes(window), window.skip_taskbar, window.get_window_type(),
      frame.x, frame.y, frame.width].join('|');
  }

  // The summaries of app `id`'s notifications in the message tray, a line each.
  Notifications(id) {
    return Main.messageTray.getSources().filter(s => s.app && s.app.get_id() === id)
      .flatMap(s => s.notifications.map(n => n.title)).join('\n');
  }

  // The shell's own notifications go (a session run as root starts with one, whose banner
  // would stand in front of the program's).
  Clear() {
    for (const source of Main.messageTray.getSources())
      source.destroy();
  }

  // Where the pointer is: "x y".
  Pointer() {
    const [x, y] = global.get_pointer();
    return `${x} ${y}`;
  }

  Getenv(name) {
    return GLib.getenv(name) || '';
  }

  // An activation token for a launch of `command`, as the shell's launchers hand a program they
  // start (XDG_ACTIVATION_TOKEN, DESKTOP_STARTUP_ID): the window it maps gets the focus.
  Token(command) {
    const app = Gio.AppInfo.create_from_commandline(command, null,
      Gio.AppInfoCreateFlags.SUPPORTS_STARTUP_NOTIFICATION);
    // Stamped now: the shell lets only a launch newer than the last input take the focus.
    const now = Math.floor(GLib.get_monotonic_time() / 1000) % 2 ** 32;
    return global.create_app_launch_context(now, -1).get_startup_notify_id(app, []) || '';
  }
}

let exported = null;

function init() {}

function enable() {
  exported = Gio.DBusExportedObject.wrapJSObject(INTERFACE, new Probe());
  exported.export(Gio.DBus.session, '/io/github/lotwarden/Probe');
}

function disable() {
  exported.unexport();
  exported = null;
}
