// SPDX-License-Identifier: MIT
// The desktop tests' window on GNOME Shell, which a headless shell gives no other way to read:
// the windows as the shell sees them and the notifications in its message tray, as JSON, on the
// shell's own bus name at /io/github/lotwarden/Probe; and it clears the message tray.
const {Gio, GLib, Meta, Shell} = imports.gi;
const Main = imports.ui.main;

const INTERFACE = `<node><interface name="io.github.lotwarden.Probe">
  <method name="Windows"><arg type="s" direction="out"/></method>
  <method name="Notifications"><arg type="s" direction="out"/></method>
  <method name="Clear"/>
  <method name="Getenv"><arg type="s" direction="in"/><arg type="s" direction="out"/></method>
</interface></node>`;

class Probe {
  Windows() {
    const tracker = Shell.WindowTracker.get_default();
    const tabs = global.display.get_tab_list(Meta.TabList.NORMAL, null);
    return JSON.stringify(global.get_window_actors().map(actor => {
      const window = actor.meta_window;
      const app = tracker.get_window_app(window);
      const frame = window.get_frame_rect();
      return {
        title: window.get_title(), pid: window.get_pid(), type: window.get_window_type(),
        app: app ? app.get_id() : '', name: app ? app.get_name() : '',
        focus: window.has_focus(), tabs: tabs.includes(window), skip: window.skip_taskbar,
        wmclass: window.get_wm_class() || '', x: frame.x, y: frame.y, w: frame.width,
        h: frame.height,
      };
    }));
  }

  Notifications() {
    return JSON.stringify(Main.messageTray.getSources().map(source => ({
      source: source.title,
      app: source.app ? source.app.get_id() : '',
      notifications: source.notifications.map(n => ({title: n.title, body: n.bannerBodyText})),
    })));
  }

  // The shell's own notifications go (a session run as root starts with one, whose banner
  // would stand in front of the program's).
  Clear() {
    for (const source of Main.messageTray.getSources())
      source.destroy();
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
