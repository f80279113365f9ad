-- The contact cache Connector.etf / Connector.mdb: one row per phone number
-- of every named contact of the selected folders.
--
-- PhoneNumber holds the number's decimal digits only; PhoneReversed the same
-- digits backwards, so that a search by a number's ending ("*4567") is an
-- index range as well as one by its beginning ("0123*"). Name sorts without
-- regard to case (jet_text: the database layer registers it, and jet_reverse,
-- on every connection). The driver keeps the table's indexes itself: a
-- rebuild drops them while it writes every row and makes them again after.
CREATE TABLE TCache (
  PhoneNumber TEXT,
  EntryID TEXT,
  Name TEXT COLLATE jet_text,
  AutoSelect INTEGER NOT NULL DEFAULT 0,
  PhoneReversed TEXT GENERATED ALWAYS AS (jet_reverse(PhoneNumber)) VIRTUAL
);
