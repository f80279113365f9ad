-- The contact cache Connector.etf / Connector.mdb: one row per phone number
-- of every named contact of the selected folders.
--
-- PhoneNumber holds the number's decimal digits only; PhoneReversed the same
-- digits backwards, so that a search by a number's ending ("*4567") is an
-- index range as well as one by its beginning ("0123*"). Name sorts and
-- compares without regard to case (jet_text, jet_fold: the database layer
-- registers both on every connection).
CREATE TABLE TCache (
  PhoneNumber TEXT,
  EntryID TEXT,
  Name TEXT COLLATE jet_text,
  AutoSelect INTEGER NOT NULL DEFAULT 0,
  PhoneReversed TEXT GENERATED ALWAYS AS (jet_reverse(PhoneNumber)) VIRTUAL
);
CREATE INDEX TCacheEntryID ON TCache (EntryID);
CREATE INDEX TCachePhoneNumber ON TCache (PhoneNumber);
CREATE INDEX TCachePhoneReversed ON TCache (PhoneReversed);
CREATE INDEX TCacheName ON TCache (jet_fold(Name));
