// SPDX-License-Identifier: MIT
// The desktop tests' window on GNOME Shell, which a headless shell gives no other way to read:
// a program's window as the shell sees it and an app's notifications in the message tray, on the
// shell's own bus name at /io/github/lotwarden/Probe; and it clears the message tray.
const {Gio, GLib, Meta, Shell} = imports.gi;
const Main = imports.ui.main;

const INTERFACE = `<node><interface name="io.github.lotwarden.Probe">
  <method name="Window"><arg type="u" direction="in"/><arg type="s" direction="out"/></method>
  <method name="Notifications"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
  <method name="Clear"/>
  <method name="Pointer"><arg type="s" direction="out"/></method>
  <method name="Getenv"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
</interface></node>`;

class Probe {
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
