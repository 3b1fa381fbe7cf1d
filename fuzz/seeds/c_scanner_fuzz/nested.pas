program P;
{ procedure H; }
procedure Outer;
  procedure Inner;
  begin end;
begin
  s := 'end';
end;
function X: Integer; external 'a';
procedure TForm1.Click(S: TObject);
begin
end;
begin
end.
