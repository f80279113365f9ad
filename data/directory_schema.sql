-- The employee directory stx.mdb as the driver reads it, when it is kept in
-- SQLite (`olconn97 directory import` makes one from CSV files). The suite
-- on Windows writes it as a Jet file, which the driver reads as it is; these
-- tables hold the columns the driver reads of either.
--
-- Employees: one row per person of the directory. The export folder copies
-- the names, department, e-mail address, phone numbers and billing
-- information into its contacts; a contact found by a call reads its
-- category ("Categories", a text that begins with the number), its
-- assistant and the labels of its phone numbers here.
CREATE TABLE Employees (
  EmployeeId INTEGER PRIMARY KEY,
  FirstName TEXT,
  LastName TEXT,
  Department TEXT,
  EmailAddress TEXT,
  BusinessPhone TEXT,
  BusinessPhone2 TEXT,
  MobilePhone TEXT,
  HomePhone TEXT,
  PagerPhone TEXT,
  OtherPhone TEXT,
  BillingInformation TEXT,
  Categories TEXT,
  AssistantID INTEGER,
  BusinessPhoneLabel TEXT,
  BusinessPhone2Label TEXT,
  MobilePhoneLabel TEXT,
  HomePhoneLabel TEXT,
  PagerPhoneLabel TEXT,
  OtherPhoneLabel TEXT,
  AssistantPhoneLabel TEXT
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
  BusinessPhoneLabel TEXT,
  BusinessPhone2Label TEXT,
  MobilePhoneLabel TEXT,
  HomePhoneLabel TEXT,
  PagerPhoneLabel TEXT,
  OtherPhoneLabel TEXT,
  AssistantPhoneLabel TEXT
);
