/* The phone host's windows, in a plugin of their own (libolconn97-popup.so,
 * built with Qt), so that the host itself runs without a display or Qt:
 * the caller's pop-up while a call lasts, and the window in which the user
 * chooses the actions of each call event. Plain C between the two. */
#ifndef OLCONN97_TOOLS_POPUP_API_H_
#define OLCONN97_TOOLS_POPUP_API_H_

#ifdef __cplusplus
extern "C" {
#endif

/* Who is calling, as the pop-up shows it. Texts are UTF-8, never null. */
struct olconn97_popup_caller {
  const char* call_id;
  const char* direction; /* "incoming" or "outgoing" */
  const char* number;
  int known;
  const char* name;
  const char* company;
  const char* folder;
  int others; /* further contacts with that number */
};

/* One setting of an action, as the driver lists it. */
struct olconn97_popup_setting {
  const char* key;
  int type; /* 8 text, 11 yes/no, 8200 choice */
  const char* value;
  const char* const* choices; /* `choice_count` texts, for type 8200 */
  int choice_count;
};

struct olconn97_popup_action {
  int id;
  const char* word; /* open, close, mail, journal, launch */
  const char* name; /* the driver's name for it */
  const struct olconn97_popup_setting* settings;
  int setting_count;
};

/* The actions of each event, as words separated by blanks ("open mail"). */
struct olconn97_popup_events {
  const char* ring;
  const char* hangup;
  const char* missed;
};

/* What the user chose, told back one value at a time: `name` is
 * "RingActions", "HangupActions", "MissedActions" or "<word>.<Key>". */
typedef void (*olconn97_popup_chosen)(void* context, const char* name, const char* value);
/* The user asks for a card for an unknown caller. */
typedef void (*olconn97_popup_create_card)(void* context, const char* call_id,
                                           const char* number);

struct olconn97_popup_api {
  /* 0 when windows can be shown; otherwise -1 with the reason in `why`. */
  int (*start)(char* why, unsigned why_size);
  /* Shows (or updates) the pop-up of a call. */
  void (*show_caller)(const struct olconn97_popup_caller* caller, olconn97_popup_create_card create,
                      void* context);
  /* Closes the pop-up of a call that ended. */
  void (*call_ended)(const char* call_id);
  /* Runs the windows' pending events, waiting at most `max_wait_ms` for one. */
  void (*process_events)(unsigned max_wait_ms);
  /* The action window, modal: 1 when the user chose OK (each value then
   * told through `chosen`), 0 on Cancel. */
  int (*choose_actions)(const struct olconn97_popup_action* actions, int action_count,
                        const struct olconn97_popup_events* events, olconn97_popup_chosen chosen,
                        void* context);
  /* For tests: what the window of `call_id` (or "actions" for the action
   * window, while it is open) shows, one "kind: text" line per widget, and
   * its picture saved as PNG at `png_path` (when not null). Returns the
   * whole length; copies at most size - 1 bytes and a NUL. */
  int (*describe)(const char* which, const char* png_path, char* text, unsigned size);
  /* For tests: the next choose_actions window is answered by `script`
   * instead of a user, as a user would through its widgets: commands
   * separated by ";": "toggle hangup.mail" (the check box of an action in
   * an event), "set mail.DestinationAddress=desk@example.org" (a setting's
   * editor), "grab PATH" (the window's picture saved as PNG at PATH and
   * what it shows at PATH.txt), then "ok" or "cancel". Null: the user
   * answers. */
  void (*answer_next)(const char* script);
  /* For tests: clicks the button named `button` ("create") in the pop-up
   * of `call_id`, as the user would; 0 when it has no such button. */
  int (*press)(const char* call_id, const char* button);
};

/* The plugin's one exported symbol. */
typedef const struct olconn97_popup_api* (*olconn97_popup_entry)(void);
#define OLCONN97_POPUP_ENTRY "olconn97_popup"

#ifdef __cplusplus
}
#endif

#endif /* OLCONN97_TOOLS_POPUP_API_H_ */
