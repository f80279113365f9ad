-- The employee directory stx.mdb as the driver reads it, when it is kept in
-- SQLite (`olconn97 directory import` makes one from CSV files). The suite
-- on Windows writes it as a Jet file, which the driver reads as it is; these
-- tables hold the columns the driver reads of either. A text the import
-- does not give is empty, not null: a contact reads an empty label as "no
-- label of its own" and takes the "Default" one.
--
-- Employees: one row per person of the directory. The export folder copies
-- the names, department, e-mail address, phone numbers and billing
-- information into its contacts; a contact found by a call reads its
-- category ("Categories", a text that begins with the number), its
-- assistant and the labels of its phone numbers here.
CREATE TABLE Employees (
  EmployeeId INTEGER PRIMARY KEY,
  FirstName TEXT DEFAULT '',
  LastName TEXT DEFAULT '',
  Department TEXT DEFAULT '',
  EmailAddress TEXT DEFAULT '',
  BusinessPhone TEXT DEFAULT '',
  BusinessPhone2 TEXT DEFAULT '',
  MobilePhone TEXT DEFAULT '',
  HomePhone TEXT DEFAULT '',
  PagerPhone TEXT DEFAULT '',
  OtherPhone TEXT DEFAULT '',
  BillingInformation TEXT DEFAULT '',
  Categories TEXT DEFAULT '',
  AssistantID INTEGER,
  BusinessPhoneLabel TEXT DEFAULT '',
  BusinessPhone2Label TEXT DEFAULT '',
  MobilePhoneLabel TEXT DEFAULT '',
  HomePhoneLabel TEXT DEFAULT '',
  PagerPhoneLabel TEXT DEFAULT '',
  OtherPhoneLabel TEXT DEFAULT '',
  AssistantPhoneLabel TEXT DEFAULT ''
);

-- The entries of the directory pages: page 1 holds the phone sets (entries
-- with BindToEmployee 0 are not bound to a person), page 2 the employees.
CREATE TABLE BLFPagesContents (
  EmployeeId INTEGER,
  BLFpageId INTEGER,
  BindToEmployee INTEGER
);

-- The phone labels an employee's row leaves empty; the first row counts.
CREATE TABLE "Default" (
  BusinessPhoneLabel TEXT DEFAULT '',
  BusinessPhone2Label TEXT DEFAULT '',
  MobilePhoneLabel TEXT DEFAULT '',
  HomePhoneLabel TEXT DEFAULT '',
  PagerPhoneLabel TEXT DEFAULT '',
  OtherPhoneLabel TEXT DEFAULT '',
  AssistantPhoneLabel TEXT DEFAULT ''
);
