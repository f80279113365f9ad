-- The contact cache Connector.etf / Connector.mdb: one row per phone number
-- of every named contact of the selected folders.
--
-- Any SQLite program can read and change it: the schema uses nothing of the
-- driver's own (no function, no collation). The columns the driver derives
-- are plain columns it writes with every row: PhoneReversed, the digits
-- backwards, so that a search by a number's ending ("*4567") is an index
-- range as well as one by its beginning ("0123*"); NameFolded, the name
-- folded the way a search compares it; and what the digits alone lose of a
-- number as written, for number matching: PhoneMain, null for a number
-- written as digits alone, else "+" when the number began with one, after
-- the digits before its extension backwards when it has one ("+33 1 23 45
-- 67 89" -> "+", "01 23 45 67 89 x12" -> "9876543210"), and PhoneExtension,
-- the digits of an extension ("ext. 12", "x12") or null. The index
-- TCachePhoneMain holds the rows with an extension only; a search that
-- means to use it says "PhoneExtension Is Not Null". A row written by
-- another program without them gets PhoneReversed and NameFolded when the
-- driver next opens the cache or refreshes it, and is read by its digits
-- alone; the trigger clears a derived value that another program's update
-- made stale. Names sort in the driver's queries, by the locale-aware order
-- it applies there. The driver keeps the table's indexes itself: a rebuild
-- drops them while it writes every row and makes them again after, all but
-- TCachePhoneMain, which costs a rebuild nothing to keep.
CREATE TABLE TCache (
  PhoneNumber TEXT,
  EntryID TEXT,
  Name TEXT,
  AutoSelect INTEGER NOT NULL DEFAULT 0,
  PhoneReversed TEXT,
  NameFolded TEXT,
  PhoneMain TEXT,
  PhoneExtension TEXT
);

CREATE INDEX TCachePhoneMain ON TCache (PhoneMain) WHERE PhoneExtension IS NOT NULL;

CREATE TRIGGER TCacheDerivedValues AFTER UPDATE OF PhoneNumber, Name ON TCache
WHEN (new.PhoneNumber IS NOT old.PhoneNumber AND new.PhoneReversed IS old.PhoneReversed)
  OR (new.PhoneNumber IS NOT old.PhoneNumber AND new.PhoneMain IS old.PhoneMain
      AND new.PhoneExtension IS old.PhoneExtension
      AND (new.PhoneMain IS NOT NULL OR new.PhoneExtension IS NOT NULL))
  OR (new.Name IS NOT old.Name AND new.NameFolded IS old.NameFolded)
BEGIN
  UPDATE TCache SET
    PhoneReversed = CASE WHEN new.PhoneNumber IS NOT old.PhoneNumber
                          AND new.PhoneReversed IS old.PhoneReversed
                         THEN NULL ELSE PhoneReversed END,
    PhoneMain = CASE WHEN new.PhoneNumber IS NOT old.PhoneNumber
                      AND new.PhoneMain IS old.PhoneMain
                      AND new.PhoneExtension IS old.PhoneExtension
                     THEN NULL ELSE PhoneMain END,
    PhoneExtension = CASE WHEN new.PhoneNumber IS NOT old.PhoneNumber
                           AND new.PhoneMain IS old.PhoneMain
                           AND new.PhoneExtension IS old.PhoneExtension
                          THEN NULL ELSE PhoneExtension END,
    NameFolded = CASE WHEN new.Name IS NOT old.Name AND new.NameFolded IS old.NameFolded
                      THEN NULL ELSE NameFolded END
  WHERE rowid = new.rowid;
END;

-- The cache's own bookkeeping, one value per item:
--   RebuildPending    "1" from the commit that empties TCache for a rebuild
--                     (and in a fresh copy of the template) until the
--                     rebuild has written every row; a start-up that finds
--                     it rebuilds.
--   WalkStarted       when the last complete walk began, UTC with seconds
--                     ("2026-12-06T14:47:50Z"); the next refresh reads the
--                     cards changed since then.
--   LastModification  the refresh time text the driver wrote with it; a
--                     different text in the settings means someone set the
--                     time by hand, and that text wins.
--   LastRecovery      what the driver last did about a cache it could not
--                     open, for the status commands.
CREATE TABLE TCacheState (
  Item TEXT PRIMARY KEY,
  Value TEXT
);
INSERT INTO TCacheState (Item, Value) VALUES ('RebuildPending', '1');
